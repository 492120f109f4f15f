#pragma once
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

class QLibrary;

namespace quaverly::playback {

/// A system library that the program opens when it first needs it, instead
/// of linking it: programs that never play start without mapping it, and a
/// machine without it still browses and copies.
///
/// load() tries the file names in order (a name such as "mpv" with a major
/// version, or a path) and keeps the first that opens for the whole run; it
/// never unloads. It may block for tens of milliseconds while the loader maps
/// the library and its dependencies, so the window calls it from a worker
/// thread. It is not thread-safe on its own: each user keeps one instance as a
/// function-local static and loads it inside that static's initialisation,
/// which C++ runs once even when threads race for it.
class RuntimeLibrary
{
public:
    struct Candidate
    {
        QString name; // a path, or a bare name such as "mpv"
        int majorVersion = -1;
    };

    /// `description` names the library in messages ("libmpv"); `overrideVariable`
    /// is an environment variable whose value, when set, is the only candidate.
    RuntimeLibrary(QString description, const char* overrideVariable, std::initializer_list<Candidate> candidates);
    ~RuntimeLibrary();
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    /// Opens the library on the first call; true when it is open.
    bool load();
    /// True once load() has succeeded; never loads.
    [[nodiscard]] bool isLoaded() const { return m_loaded.load(); }
    /// The address of `symbol`, or null (also when not loaded).
    [[nodiscard]] QFunctionPointer resolve(const char* symbol) const;
    /// Why the library could not be opened, or which symbol was missing.
    [[nodiscard]] const QString& errorText() const { return m_error; }
    void setErrorText(const QString& text) { m_error = text; }

    /// Resolves `symbol` into `function`; false (and errorText set) when absent.
    template <typename Function> bool bind(Function& function, const char* symbol)
    {
        function = reinterpret_cast<Function>(resolve(symbol));
        if (function == nullptr)
            m_error = m_description + QStringLiteral(" lacks the function ") + QLatin1String(symbol);
        return function != nullptr;
    }

private:
    QString m_description;
    std::vector<Candidate> m_candidates;
    std::unique_ptr<QLibrary> m_library;
    QString m_error;
    bool m_tried = false;
    std::atomic_bool m_loaded { false };
};

} // namespace quaverly::playback
