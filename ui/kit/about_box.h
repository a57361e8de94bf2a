#pragma once

#include "ui/kit/dialog_controller.h"

// The About box: the program's icon and "Korvani 0.1", with the single softkey "OK".
// Every way out ends it with kIdCancel.
class AboutBox : public DialogController {
public:
    explicit AboutBox(QWidget* parent);

    void InitDialog() override;
    bool HandleCommand(int commandId) override;
};

// Runs the About box over `parent`.
void RunAboutBox(QWidget* parent);
