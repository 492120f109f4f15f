#include "playback/RuntimeLibrary.h"

#include <QLibrary>

namespace quaverly::playback {

RuntimeLibrary::RuntimeLibrary(QString description, const char* overrideVariable,
                               std::initializer_list<Candidate> candidates)
    : m_description(std::move(description))
    , m_candidates(candidates)
{
    const QString chosen = overrideVariable != nullptr ? qEnvironmentVariable(overrideVariable) : QString();
    if (!chosen.isEmpty())
        m_candidates = { Candidate { chosen, -1 } };
}

RuntimeLibrary::~RuntimeLibrary() = default; // the library stays mapped: its code may still run at exit

bool RuntimeLibrary::load()
{
    if (m_tried)
        return m_loaded.load();
    m_tried = true;
    QStringList failures;
    for (const Candidate& candidate : m_candidates) {
        auto library = std::make_unique<QLibrary>();
        if (candidate.majorVersion >= 0)
            library->setFileNameAndVersion(candidate.name, candidate.majorVersion);
        else
            library->setFileName(candidate.name);
        if (library->load()) {
            m_library = std::move(library);
            m_error.clear();
            m_loaded.store(true);
            return true;
        }
        failures << library->errorString();
    }
    m_error = m_description + QStringLiteral(" could not be opened: ") + failures.join(QStringLiteral("; "));
    return false;
}

QFunctionPointer RuntimeLibrary::resolve(const char* symbol) const
{
    return m_library != nullptr ? m_library->resolve(symbol) : nullptr;
}

} // namespace quaverly::playback
