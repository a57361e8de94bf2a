#include "ui/game/choice_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "resources/resource_ids.h"

ChoiceDialog::ChoiceDialog(QWidget* parent, const QString& title, const QString& instruction,
                           int failureCode)
    : DialogController(parent),
      heading_(new QLabel(this)),
      list_(new QListWidget(this)),
      failureCode_(failureCode) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    heading_->hide();
    list_->setObjectName(QStringLiteral("choiceList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* text = new QLabel(instruction, this);
    text->setObjectName(QStringLiteral("instruction"));
    text->setWordWrap(true);
    layout->addWidget(heading_);
    layout->addWidget(list_, 1);
    layout->addWidget(text);
}

void ChoiceDialog::InitDialog() {
    if (CreateSoftkeyBar(kBarChoice) == nullptr) {
        EndDialog(failureCode_);
        return;
    }
    FillRows();
    list_->setFocus();
}

bool ChoiceDialog::HandleKeyDown(QKeyEvent& event) {
    const int key = event.key();
    if (key < Qt::Key_0 || key > Qt::Key_9) {
        return false;
    }
    ChooseDigit(key - Qt::Key_0);
    return true;
}

bool ChoiceDialog::HandleCommand(int commandId) {
    if (commandId == kIdOk) {
        ChooseHighlighted();
        return true;
    }
    if (commandId == kIdCancel) {
        Cancel();
        return true;
    }
    return false;
}

void ChoiceDialog::Cancel() {
    EndDialog(kIdCancel);
}

int ChoiceDialog::HighlightedRow() const {
    const QListWidgetItem* item = list_->currentItem();
    return item != nullptr && item->isSelected() ? list_->row(item) : -1;
}

void ChoiceDialog::AddRow(int digit, const QString& text) {
    list_->addItem(QStringLiteral("%1 : %2").arg(digit).arg(text));
}

void ChoiceDialog::SetHeading(const QString& text) {
    heading_->setText(text);
    heading_->show();
}
