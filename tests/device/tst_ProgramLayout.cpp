// Where the program finds the companions of the eject: beside itself (build
// tree, a copy on the iPod) or in the installed tree around it.
#include "device/ProgramLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::device;
using namespace Qt::StringLiterals;

namespace {

bool makeFile(const QString& path, bool executable)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n") < 0)
        return false;
    file.close();
    const QFile::Permissions read = QFile::ReadOwner | QFile::WriteOwner;
    return file.setPermissions(executable ? read | QFile::ExeOwner : read);
}

bool makeCompanions(const QString& dir, const QStringList& names = { u"stayvane"_s, u"wait"_s, u"deveject"_s })
{
    for (const QString& name : names) {
        if (!makeFile(QDir(dir).filePath(name), true))
            return false;
    }
    return true;
}

/// A prefix laid out the way `cmake --install` lays it out for this build.
struct Prefix
{
    QTemporaryDir dir;
    QString path(const char* relative) const { return QDir::cleanPath(dir.path() + u'/' + QLatin1String(relative)); }
    QString bin() const { return path(QUAVERLY_INSTALL_BINDIR); }
    QString libexec() const { return path(QUAVERLY_INSTALL_LIBEXECDIR); }
    bool makeInstalled() { return dir.isValid() && QDir().mkpath(bin()) && makeCompanions(libexec()); }
};

} // namespace

class tst_ProgramLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installedTreeIsFoundFromTheProgramFolder()
    {
        Prefix prefix;
        QVERIFY(prefix.makeInstalled());
        const ProgramLayout layout = findProgramLayout(prefix.bin());
        QCOMPARE(layout.programDir, prefix.bin());
        QCOMPARE(layout.companionDir, prefix.libexec());
    }

    void movedInstalledTreeIsFoundAgain()
    {
        Prefix prefix;
        QVERIFY(prefix.makeInstalled());
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        const QString moved = elsewhere.path() + u"/opt/quaverly"_s;
        QVERIFY(QDir().mkpath(QFileInfo(moved).absolutePath()));
        QVERIFY(QDir().rename(prefix.dir.path(), moved));
        const ProgramLayout layout = findProgramLayout(moved + u'/' + QLatin1String(QUAVERLY_INSTALL_BINDIR));
        QCOMPARE(layout.companionDir, QDir::cleanPath(moved + u'/' + QLatin1String(QUAVERLY_INSTALL_LIBEXECDIR)));
    }

    void besideTheProgramWins()
    {
        Prefix prefix;
        QVERIFY(prefix.makeInstalled());
        QVERIFY(makeCompanions(prefix.bin()));
        const ProgramLayout layout = findProgramLayout(prefix.bin() + u"/"_s); // a trailing slash too
        QCOMPARE(layout.companionDir, prefix.bin());
    }

    void incompleteSetBesideTheProgramDoesNotCount_data()
    {
        QTest::addColumn<QStringList>("beside");
        QTest::addColumn<bool>("lastExecutable");
        QTest::newRow("deveject missing") << QStringList { u"stayvane"_s, u"wait"_s } << true;
        QTest::newRow("deveject not executable") << QStringList { u"stayvane"_s, u"wait"_s, u"deveject"_s } << false;
    }
    void incompleteSetBesideTheProgramDoesNotCount()
    {
        QFETCH(QStringList, beside);
        QFETCH(bool, lastExecutable);
        Prefix prefix;
        QVERIFY(prefix.makeInstalled());
        QVERIFY(makeCompanions(prefix.bin(), beside.mid(0, 2)));
        if (beside.size() > 2)
            QVERIFY(makeFile(prefix.bin() + u'/' + beside.at(2), lastExecutable));
        QCOMPARE(findProgramLayout(prefix.bin()).companionDir, prefix.libexec());
    }

    void folderNamedLikeACompanionIsNoProgram()
    {
        Prefix prefix;
        QVERIFY(prefix.makeInstalled());
        QVERIFY(makeCompanions(prefix.bin(), { u"stayvane"_s, u"wait"_s }));
        QVERIFY(QDir().mkpath(prefix.bin() + u"/deveject"_s));
        QCOMPARE(findProgramLayout(prefix.bin()).companionDir, prefix.libexec());
    }

    void nothingFoundNamesTheProgramFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(findProgramLayout(dir.path()).companionDir, dir.path());
    }
};

QTEST_GUILESS_MAIN(tst_ProgramLayout)
#include "tst_ProgramLayout.moc"
