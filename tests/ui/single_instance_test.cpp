// The real program, started twice: one instance per user session and games file.
#include <QtTest>

namespace {

constexpr int kTimeoutMs = 30000;

// A run of the program in its own process with `home` (with an owner set, so that it goes
// straight to its games list), sharing `runtime` (where the instance server lives).
class Run {
public:
    Run(const QString& home, const QString& runtime) {
        QDir().mkpath(home + QStringLiteral("/config/korvani"));
        QFile settings(home + QStringLiteral("/config/korvani/device.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Owner]\nName=Ann\nE-mail=ann@example.org\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        for (const char* sub : {"CONFIG", "DATA", "CACHE"}) {
            environment.insert(QStringLiteral("XDG_%1_HOME").arg(sub),
                               home + '/' + QString(sub).toLower());
        }
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("korvani.*.debug=true"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KORVANI_PROGRAM), QStringList{});
    }
    ~Run() {
        process.kill();
        process.waitForFinished(kTimeoutMs);
    }

    // Whether the program wrote `text` to its error output so far.
    bool Said(const QString& text) {
        log_ += QString::fromLocal8Bit(process.readAllStandardError());
        return log_.contains(text);
    }
    bool Runs() { return Said(QStringLiteral("games list shown")); }
    bool Ended() {
        return process.state() == QProcess::NotRunning &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QProcess process;

private:
    QString log_;
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // The second start brings the first to the front and ends, having read and created
    // nothing; the first made the games file, the address book and the mail store.
    void secondStartBringsTheFirstForward() {
        QTemporaryDir home, otherHome, runtime;
        Run first(home.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(first.Said("games list shown, 0 rows"), kTimeoutMs);
        for (const char* made :
             {"Documents/Korvani.pgn", "data/korvani/contacts.vcf", "data/korvani/Mail/new"}) {
            QVERIFY2(QFileInfo::exists(home.filePath(made)), made);
        }
        Run second(otherHome.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(second.Ended() && first.Said("brought to the front"), kTimeoutMs);
        QCOMPARE(QDir(otherHome.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"config"});
        QVERIFY(first.Runs() && first.process.state() == QProcess::Running);
    }

    // A killed instance leaves its socket; the next start takes the server over.
    void startAfterACrashTakesOverTheServer() {
        QTemporaryDir home, runtime;
        {
            Run crashed(home.path(), runtime.path());
            QTRY_VERIFY_WITH_TIMEOUT(crashed.Runs(), kTimeoutMs);
        }
        QVERIFY(QFileInfo::exists(runtime.filePath(QStringLiteral("korvani.instance"))));
        Run next(home.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(next.Runs(), kTimeoutMs);
    }

    // Of two programs started at once exactly one runs; the other ends quietly.
    void simultaneousStartsNeverBothRun() {
        QTemporaryDir home;
        for (int round = 0; round < 20; ++round) {
            QTemporaryDir runtime;
            Run first(home.path(), runtime.path());
            Run second(home.path(), runtime.path());
            QTRY_VERIFY_WITH_TIMEOUT(
                (first.Runs() || first.Ended()) && (second.Runs() || second.Ended()), kTimeoutMs);
            QVERIFY2(first.Runs() != second.Runs(),
                     qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // The same games file from a session with another runtime folder: the first program
    // cannot be reached, so the second says whose the file is and stops. A temporary file
    // a killed save left is removed; the user's copy is kept.
    void sameGamesFileFromAnotherSessionIsRefused() {
        QTemporaryDir home, runtime, otherRuntime;
        const QString leftover = home.filePath(QStringLiteral("Documents/.Korvani.pgn.Ab12Cd.tmp"));
        const QString copy = home.filePath(QStringLiteral("Documents/Korvani.pgn.bak"));
        for (const QString& path : {leftover, copy}) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("half a file") > 0);
        }
        Run first(home.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(first.Runs(), kTimeoutMs);
        QVERIFY(!QFileInfo::exists(leftover) && QFileInfo::exists(copy));
        Run second(home.path(), otherRuntime.path());
        QTRY_VERIFY_WITH_TIMEOUT(second.Said("games file in use"), kTimeoutMs);
        QVERIFY(second.Said("The games file is in use by another Korvani:\\n" +
                            home.filePath("Documents/Korvani.pgn")));
        QVERIFY(!second.Runs() && first.process.state() == QProcess::Running);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
