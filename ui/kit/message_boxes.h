#pragma once

#include <QString>

class QWidget;

// The program's message boxes, with the phone's captions, buttons and icons. Each
// one is modal and returns when the user has answered it.

// A start-up notice: caption "Korvani", an OK button, no icon, no owner.
void ShowStartupNotice(const QString& text);

// A question with Yes and No, the question icon and the caption "Confirmation".
// Returns true for Yes; No (or closing the box) stops the operation.
bool AskConfirmation(QWidget* owner, const QString& text);

// An error box with the error icon and an OK button.
void ShowErrorMessage(QWidget* owner, const QString& text, const QString& caption);

// Routes the error boxes that the layers below ask for (ShowErrorBox) to message
// boxes with no owner window.
void InstallErrorBoxHandler();
