#pragma once
#include <QLockFile>
#include <QString>

#include <memory>

namespace quaverly::startup {

/// Keeps a second copy of the program from running: the first copy holds a
/// lock file in the user's runtime folder for as long as it runs. A lock left
/// by a crashed copy is taken over.
class SingleInstance
{
public:
    /// `lockDir` empty: the user's runtime folder (or the temporary folder).
    explicit SingleInstance(const QString& lockDir = {});
    [[nodiscard]] bool tryAcquire();
    [[nodiscard]] QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quaverly::startup
