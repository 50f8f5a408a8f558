#include "frmini.h"
#include "modalscript.h"
#include "randomuser.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
// TARNWICK_RANDOM_STEPS and TARNWICK_RANDOM_SEED override these. The default takes about
// 12 s in a normal build and 18 s under AddressSanitizer. A long run needs Qt Test's
// function time limit raised too, e.g. QTEST_FUNCTION_TIMEOUT=3600000 (milliseconds);
// 100,000 steps take several minutes.
constexpr int defaultSteps = 3000;
constexpr quint64 defaultSeed = 20240607;

quint64 fromEnvironment(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}
} // namespace

class TestRandomUse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void randomSteps();
};

void TestRandomUse::initTestCase()
{
    ModalScript::startWatchdog();
}

// A long random walk through the real window, checked against a reference after every
// step; a failure names the seed, the step and the steps that led to it.
void TestRandomUse::randomSteps()
{
    const int steps = int(fromEnvironment("TARNWICK_RANDOM_STEPS", defaultSteps));
    const quint64 seed = fromEnvironment("TARNWICK_RANDOM_SEED", defaultSeed);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    frmINI window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    RandomUser user(window, seed, folder.path());
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= steps; ++n) {
        const QString failure = user.step();
        if (!failure.isEmpty()) {
            const QString report = u"seed %1, step %2: %3\nlast steps:\n  %4"_s.arg(seed).arg(n).arg(
                failure, user.recentSteps().join(u"\n  "_s));
            QFAIL(qPrintable(report));
        }
    }
    // Printed directly: the offscreen platform's own warnings can exhaust Qt Test's quota.
    std::printf("%d steps from seed %llu in %lld ms\n%s\n", steps, seed, clock.elapsed(),
                qPrintable(user.summary()));
}

QTEST_MAIN(TestRandomUse)
#include "tst_randomuse.moc"
