#include "devicetools/EjectChain.h"

#include "device/ProgramLayout.h"
#include "devicetools/DeviceLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

namespace quaverly::devicetools {
namespace {

QString inFolder(const QString& dir, const char* name)
{
    return QDir(dir).filePath(QLatin1String(name));
}

bool isProgram(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString quoteArgument(const QString& argument)
{
    QString quoted = argument;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString stayvaneArgument(const QString& waitForExecutable, const QString& waitPath, const QString& toolPath,
                         const QString& iPodRoot)
{
    const QString waitText = quoteArgument(toolPath) + QLatin1Char(' ')
        + quoteArgument(QStringLiteral("-EjectDrive:") + iPodRoot);
    return quoteArgument(waitForExecutable) + QLatin1Char(';') + quoteArgument(waitPath) + QLatin1Char(' ')
        + quoteArgument(waitText);
}

EjectChain::Paths EjectChain::currentProgram()
{
    // Beside the program in a build tree or on the iPod; in libexec/quaverly once installed.
    return { device::currentProgramLayout().companionDir, QCoreApplication::applicationFilePath(), QDir::tempPath() };
}

EjectChain::EjectChain(Paths paths)
    : m_paths(std::move(paths))
{
}

QString EjectChain::copyTool(EjectResult& result) const
{
    QFile source(inFolder(m_paths.programDir, kEjectToolName));
    if (!isProgram(source.fileName()) || !source.open(QIODevice::ReadOnly)) {
        result.error = EjectError::ToolMissing;
        return {};
    }
    // The same prefix as the other temporary files of the program.
    QTemporaryFile copy(QDir(m_paths.tempDir).filePath(QStringLiteral("iTunesDBTempXXXXXX")));
    copy.setAutoRemove(false);
    bool ok = copy.open();
    while (ok && !source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        ok = !block.isEmpty() && copy.write(block) == block.size();
    }
    ok = ok && copy.flush();
    QString path = copy.fileName();
    copy.close();
    ok = ok && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!ok) {
        if (!path.isEmpty())
            QFile::remove(path);
        result.error = EjectError::CopyFailed;
        return {};
    }
    return path;
}

bool EjectChain::begin()
{
    if (m_state != State::Idle)
        return false;
    m_state = State::Begun;
    return true;
}

EjectResult EjectChain::start(const QString& iPodRoot)
{
    EjectResult result;
    if (m_state == State::Started) {
        result.error = EjectError::AlreadyInProgress;
        return result;
    }
    m_state = State::Idle; // until the chain has started
    const QString stayvane = inFolder(m_paths.programDir, kStayvaneName);
    const QString wait = inFolder(m_paths.programDir, kWaitName);
    if (!isProgram(stayvane) || !isProgram(wait)) {
        result.error = EjectError::CompanionMissing;
        return result;
    }
    result.toolCopy = copyTool(result);
    if (result.error != EjectError::None)
        return result;

    result.program = stayvane;
    result.arguments = { stayvaneArgument(m_paths.waitForExecutable, wait, result.toolCopy, iPodRoot) };
    QProcess process;
    process.setProgram(stayvane);
    process.setArguments(result.arguments);
    // Nothing of the chain may keep a folder of the iPod as its working directory.
    process.setWorkingDirectory(QDir::rootPath());
    if (!process.startDetached(&result.pid)) {
        qCWarning(lcDevice) << "Could not start" << stayvane;
        QFile::remove(result.toolCopy);
        result.error = EjectError::StartFailed;
        return result;
    }
    qCInfo(lcDevice) << "Eject chain started:" << stayvane << result.arguments;
    m_state = State::Started;
    return result;
}

} // namespace quaverly::devicetools
