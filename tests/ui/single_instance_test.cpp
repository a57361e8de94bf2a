#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/single_instance.h"

namespace {

constexpr int kProcessTimeoutMs = 30000;

// Sets an owner in `home`'s settings, so that the program goes straight to its games
// list instead of asking for its settings first.
void SetOwner(const QString& home) {
    QDir().mkpath(home + QStringLiteral("/config/korvani"));
    QFile settings(home + QStringLiteral("/config/korvani/device.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Owner]\nName=Ann\nE-mail=ann@example.org\n");
}

// A run of the real program with its own home folder, sharing `runtimeDir` (where the
// instance server lives) with the other runs of a test.
class ProgramRun {
public:
    ProgramRun(const QString& home, const QString& runtimeDir) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("korvani.*.debug=true"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::SeparateChannels);
    }
    ~ProgramRun() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kProcessTimeoutMs);
        }
    }

    void Start() { process.start(QStringLiteral(KORVANI_PROGRAM), QStringList{}); }

    // True once the program shows its games list.
    bool Runs() { return Log().contains(QStringLiteral("games list shown")); }

    // True once the program has given way: ended, or shows that the games file is in
    // use.
    bool GaveWay() {
        return process.state() == QProcess::NotRunning ||
               Log().contains(QStringLiteral("games file in use"));
    }

    // Everything the program wrote to its error output so far.
    QString Log() {
        log_ += QString::fromLocal8Bit(process.readAllStandardError());
        return log_;
    }

    QProcess process;

private:
    QString log_;
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondStartBringsTheFirstToTheFrontAndEnds();
    void startAfterACrashTakesOverTheServer();
    void requestWithoutServerFindsNoInstance();
    void liveServerIsNeverTakenOver();
    void simultaneousStartsNeverBothRun();
    void sameGamesFileFromAnotherSessionIsRefused();
};

void SingleInstanceTest::secondStartBringsTheFirstToTheFrontAndEnds() {
    QTemporaryDir firstHome;
    QTemporaryDir secondHome;
    QTemporaryDir runtime;
    SetOwner(firstHome.path());
    ProgramRun first(firstHome.path(), runtime.path());
    first.Start();
    QTRY_VERIFY_WITH_TIMEOUT(first.Log().contains(QStringLiteral("games list shown, 0 rows")),
                             kProcessTimeoutMs);
    // The first start created the empty games file, the address book and the mail store.
    QVERIFY(QFileInfo::exists(firstHome.filePath(QStringLiteral("Documents/Korvani.pgn"))));
    QVERIFY(QFileInfo::exists(firstHome.filePath(QStringLiteral("data/korvani/contacts.vcf"))));
    QVERIFY(QFileInfo(firstHome.filePath(QStringLiteral("data/korvani/Mail/new"))).isDir());

    ProgramRun second(secondHome.path(), runtime.path());
    second.Start();
    QVERIFY(second.process.waitForFinished(kProcessTimeoutMs));
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(first.Log().contains(QStringLiteral("brought to the front")),
                             kProcessTimeoutMs);
    // The second start read and created nothing of its own.
    QVERIFY(
        QDir(secondHome.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QCOMPARE(first.process.state(), QProcess::Running);
}

void SingleInstanceTest::startAfterACrashTakesOverTheServer() {
    QTemporaryDir home;
    QTemporaryDir runtime;
    SetOwner(home.path());
    {
        ProgramRun crashed(home.path(), runtime.path());
        crashed.Start();
        QTRY_VERIFY_WITH_TIMEOUT(crashed.Log().contains(QStringLiteral("games list shown")),
                                 kProcessTimeoutMs);
        crashed.process.kill();
        QVERIFY(crashed.process.waitForFinished(kProcessTimeoutMs));
    }
    // The killed instance left its socket behind; nobody answers on it.
    QVERIFY(QFileInfo::exists(runtime.filePath(QStringLiteral("korvani.instance"))));
    ProgramRun next(home.path(), runtime.path());
    next.Start();
    QTRY_VERIFY_WITH_TIMEOUT(next.Log().contains(QStringLiteral("games list shown")),
                             kProcessTimeoutMs);
    QCOMPARE(next.process.state(), QProcess::Running);
}

void SingleInstanceTest::requestWithoutServerFindsNoInstance() {
    QTemporaryDir runtime;
    SingleInstance instance(runtime.filePath(QStringLiteral("korvani.instance")));
    QVERIFY(!instance.AskRunningInstanceToShow());
    int requests = 0;
    QVERIFY(instance.Listen([&requests] { ++requests; }));
    SingleInstance later(runtime.filePath(QStringLiteral("korvani.instance")));
    QVERIFY(later.AskRunningInstanceToShow());
    QTRY_COMPARE(requests, 1);
}

void SingleInstanceTest::liveServerIsNeverTakenOver() {
    QTemporaryDir runtime;
    const QString name = runtime.filePath(QStringLiteral("korvani.instance"));
    int firstRequests = 0;
    SingleInstance first(name);
    QVERIFY(first.Listen([&firstRequests] { ++firstRequests; }));
    // A second program that finds the name taken while the first one serves leaves
    // the socket alone.
    SingleInstance second(name);
    QVERIFY(!second.Listen([] {}));
    SingleInstance later(name);
    QVERIFY(later.AskRunningInstanceToShow());
    QTRY_COMPARE(firstRequests, 1);
}

void SingleInstanceTest::simultaneousStartsNeverBothRun() {
    QTemporaryDir home;
    SetOwner(home.path());
    for (int round = 0; round < 20; ++round) {
        QTemporaryDir runtime;
        ProgramRun first(home.path(), runtime.path());
        ProgramRun second(home.path(), runtime.path());
        first.Start();
        second.Start();
        QTRY_VERIFY_WITH_TIMEOUT(
            (first.Runs() || first.GaveWay()) && (second.Runs() || second.GaveWay()),
            kProcessTimeoutMs);
        QVERIFY2(first.Runs() != second.Runs(), qPrintable(QStringLiteral("round %1").arg(round)));
        // The one that gave way found the other one and ended quietly.
        ProgramRun& other = first.Runs() ? second : first;
        QTRY_COMPARE_WITH_TIMEOUT(other.process.state(), QProcess::NotRunning, kProcessTimeoutMs);
        QCOMPARE(other.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(other.process.exitCode(), 0);
    }
}

void SingleInstanceTest::sameGamesFileFromAnotherSessionIsRefused() {
    QTemporaryDir home;
    QTemporaryDir runtime;
    QTemporaryDir otherRuntime;
    SetOwner(home.path());
    // Left by a save that was killed, and a copy the user made.
    const QString documents = home.filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(documents));
    const QString leftover = documents + QStringLiteral("/.Korvani.pgn.Ab12Cd.tmp");
    const QString usersCopy = documents + QStringLiteral("/Korvani.pgn.bak");
    for (const QString& path : {leftover, usersCopy}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("half a file");
    }
    ProgramRun first(home.path(), runtime.path());
    first.Start();
    QTRY_VERIFY_WITH_TIMEOUT(first.Runs(), kProcessTimeoutMs);
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(QFileInfo::exists(usersCopy));

    // The same games file from a session with another runtime folder: the first
    // program cannot be reached, so the second says whose the file is and stops.
    ProgramRun second(home.path(), otherRuntime.path());
    second.Start();
    const QString gamesPath = documents + QStringLiteral("/Korvani.pgn");
    QTRY_VERIFY_WITH_TIMEOUT(second.Log().contains(QStringLiteral("games file in use")),
                             kProcessTimeoutMs);
    QVERIFY(second.Log().contains(
        QStringLiteral("The games file is in use by another Korvani:\\n") + gamesPath));
    QVERIFY(!second.Runs());
    QCOMPARE(first.process.state(), QProcess::Running);
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
