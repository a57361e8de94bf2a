#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ui/single_instance.h"

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

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
