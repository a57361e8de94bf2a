#include <QApplication>

#include "app/mail_exchange_dialogs.h"
#include "app/program_startup.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvani"));
    return RunKorvani(&MailExchangeDialogs);
}
