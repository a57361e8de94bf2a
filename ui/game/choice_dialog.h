#pragma once

#include <QString>

#include "ui/kit/dialog_controller.h"

class QLabel;
class QListWidget;

// The common frame of the dialogs in which the user picks a numbered row ("1 : Queen")
// with its digit: a title, a full-size list, an instruction below it and the single
// "Cancel" softkey. A digit that labels a row chooses it at once; OK chooses the
// highlighted row. Every digit key is kept from the list, whose type-ahead search
// would otherwise move the highlight.
class ChoiceDialog : public DialogController {
public:
    // `failureCode` is the code the dialog ends with when its softkey bar cannot be
    // built.
    ChoiceDialog(QWidget* parent, const QString& title, const QString& instruction,
                 int failureCode);

    void InitDialog() override;
    bool HandleKeyDown(QKeyEvent& event) override;
    bool HandleCommand(int commandId) override;

    // The list of rows; owned by the dialog.
    [[nodiscard]] QListWidget* list() const { return list_; }

    // The highlighted row, or -1 when no row is highlighted.
    [[nodiscard]] int HighlightedRow() const;

protected:
    // Adds a row labelled `digit` ("d : text").
    void AddRow(int digit, const QString& text);

    // A label above the list (Add new line shows the new move there).
    void SetHeading(const QString& text);

    // Fills the rows; called by InitDialog once the bar exists.
    virtual void FillRows() = 0;
    // The digit 0..9 was pressed.
    virtual void ChooseDigit(int digit) = 0;
    // The OK command (the Action key).
    virtual void ChooseHighlighted() = 0;
    // The Cancel softkey (the back key too); by default ends with kIdCancel.
    virtual void Cancel();

private:
    QLabel* heading_;
    QListWidget* list_;
    int failureCode_;
};
