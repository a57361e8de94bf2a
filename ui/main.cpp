#include <QApplication>

#include "messaging/mail_exchange_dialogs.h"
#include "ui/program_startup.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvani"));
    return RunKorvani(&MailExchangeDialogs);
}
