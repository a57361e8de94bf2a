#include "ui/kit/about_box.h"

#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "resources/resource_ids.h"
#include "ui/kit/run_dialog.h"

namespace {

constexpr int kIconSize = 32;
const QString kProgramAndVersion = QStringLiteral("Korvani 0.1");

}  // namespace

AboutBox::AboutBox(QWidget* parent) : DialogController(parent) {
    setWindowTitle(kProgramAndVersion);
    auto* layout = new QVBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QIcon(QString::fromLatin1(kIconProgramPath)).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(kProgramAndVersion, this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setAlignment(Qt::AlignCenter);
    layout->addStretch(1);
    layout->addWidget(icon);
    layout->addWidget(text);
    layout->addStretch(1);
}

void AboutBox::InitDialog() {
    if (CreateSoftkeyBar(kBarAbout) == nullptr) {
        EndDialog(kIdCancel);
    }
}

bool AboutBox::HandleCommand(int commandId) {
    if (commandId == kIdOk || commandId == kIdCancel || commandId == kCmdAboutOk) {
        EndDialog(kIdCancel);
        return true;
    }
    return false;
}

void RunAboutBox(QWidget* parent) {
    AboutBox box(parent);
    RunDialog(box, parent);
}
