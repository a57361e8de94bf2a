#pragma once

#include <QSize>

class DialogController;
class QWidget;

// The size of the program's window when it opens: a phone's screen. The user may
// make it larger; it never gets smaller than kMinimumWindowSize.
inline constexpr QSize kPhoneWindowSize{240, 320};
inline constexpr QSize kMinimumWindowSize{176, 220};

// Runs `controller` as a modal screen over `parent` (null for the outermost screen,
// the games list), with the geometry of the parent's window, after calling its
// InitDialog. Returns the code the dialog ended with: kIdOk (1) means done, anything
// else cancelled unless the screen says otherwise. The caller owns the controller.
int RunDialog(DialogController& controller, QWidget* parent);
