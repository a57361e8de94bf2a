// Saves a picture of the whole screen of the X display it runs on, for the games
// list benchmark's screenshot:  screen_grab <file.png>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return 1;
    }
    return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
