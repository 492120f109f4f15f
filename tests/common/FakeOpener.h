#pragma once
// A desktop without the real opener: PATH holds only a folder with a fake
// xdg-open (or nothing), so no test ever starts a real program, and the
// desktop's answers (success, an error) are the test's choice. The temporary
// folder is the fake's own too, so a test can see when the program has taken
// note of how the opener ended (handled()) instead of sleeping.
#include "tests/common/TestFiles.h"

#include <QByteArray>
#include <QTemporaryDir>

namespace quaverly::test {

class FakeOpener
{
public:
    enum class Kind { None, Succeeds, Fails };

    /// Kind::Fails prints `message` on stderr and ends with `status`.
    explicit FakeOpener(Kind kind, const QByteArray& message = {}, int status = 4)
        : m_oldPath(qgetenv("PATH"))
        , m_oldTemp(qgetenv("TMPDIR"))
        , m_hadTemp(qEnvironmentVariableIsSet("TMPDIR"))
    {
        if (!m_dir.isValid())
            return;
        QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + QFile::encodeName(log()) + "'\n";
        if (kind == Kind::Fails)
            script += "echo '" + message + "' >&2\nexit " + QByteArray::number(status) + "\n";
        m_ready = kind == Kind::None || writeFile(m_dir.filePath(QStringLiteral("bin/xdg-open")), script, true);
        m_ready = m_ready && QDir().mkpath(m_dir.filePath(QStringLiteral("bin")));
        m_ready = m_ready && QDir().mkpath(temp());
        qputenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("bin"))));
        qputenv("TMPDIR", QFile::encodeName(temp()));
    }
    ~FakeOpener()
    {
        qputenv("PATH", m_oldPath);
        if (m_hadTemp)
            qputenv("TMPDIR", m_oldTemp);
        else
            qunsetenv("TMPDIR");
    }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    [[nodiscard]] bool ready() const { return m_ready; }
    /// Every argument the opener was given, one per line.
    [[nodiscard]] QString log() const { return m_dir.filePath(QStringLiteral("opened.log")); }
    [[nodiscard]] QString opened() const { return readText(log()); }
    /// True once the opener has run and ended and the program has dealt with
    /// its end (reported a failure or not): the program removes the file that
    /// held the opener's error output only then.
    [[nodiscard]] bool handled() const
    {
        return !opened().isEmpty()
            && QDir(temp()).entryList({ QStringLiteral("quaverly-open-*") }, QDir::Files).isEmpty();
    }

private:
    [[nodiscard]] QString temp() const { return m_dir.filePath(QStringLiteral("tmp")); }

    QTemporaryDir m_dir;
    QByteArray m_oldPath;
    QByteArray m_oldTemp;
    bool m_hadTemp = false;
    bool m_ready = false;
};

} // namespace quaverly::test
