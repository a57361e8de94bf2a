#pragma once

#include <functional>

// The steps of one run of the program, in the order they run. Each step is a
// function so that the order and the notices can be checked without real sessions.
struct StartupSteps {
    std::function<void()> loadOwnerIdentity;
    std::function<void()> createDrawingResources;
    std::function<bool()> openContacts;   // true when the address book session opened
    std::function<bool()> openMessaging;  // true when the mail store session opened
    std::function<void()> runGamesList;   // returns when the user quits
    std::function<void()> closeMessaging;
    std::function<void()> closeContacts;
    std::function<void()> freeDrawingResources;
    std::function<void()> saveOwnerIdentity;
};

// Runs the steps in order. A session that fails to open is announced once, the
// contacts notice before the messaging one, and the program goes on without it.
// The owner's identity is written last, after every screen has closed. Returns 0.
int RunStartupSteps(const StartupSteps& steps);

// The program: gives way to a running instance (asking it to come to the front,
// before anything is read), then runs the steps with the real sessions and the games
// list. Needs a QApplication. Returns 0 in every case.
int RunKorvani();
