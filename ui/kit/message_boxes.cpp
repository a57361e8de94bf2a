#include "ui/kit/message_boxes.h"

#include <QMessageBox>

#include "platform/error_report.h"

namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

void ShowStartupNotice(const QString& text) {
    ShowBox(nullptr, QMessageBox::NoIcon, QStringLiteral("Korvani"), text);
}

bool AskConfirmation(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void ShowErrorMessage(QWidget* owner, const QString& text, const QString& caption) {
    ShowBox(owner, QMessageBox::Critical, caption, text);
}

void InstallErrorBoxHandler() {
    SetErrorBoxHandler([](const ErrorBox& box) {
        ShowBox(nullptr,
                box.icon == ErrorBox::Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                QString::fromStdU16String(box.caption), QString::fromStdU16String(box.text));
    });
}
