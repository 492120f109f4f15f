#pragma once
#include <QCache>
#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>

#include <deque>

namespace quaverly::media {

/// Covers of the iPod's songs for the windows, read off the window's thread.
/// request() never touches the disk: a song's file is found and its picture
/// read (TagLib, read-only) and decoded on a worker thread, one song at a
/// time, newest request first, and only for songs asked for, so nothing of a
/// large library is read up front. Results are cached by song, the pictures
/// shrunk to at most maxEdgePx, within a memory budget.
///
/// For other programs (a desktop media controller) a song's cover can also
/// be saved once as a file in the cache folder; coverReady() then names it.
class CoverArtLoader : public QObject
{
    Q_OBJECT
public:
    explicit CoverArtLoader(QString iPodRoot, QObject* parent = nullptr);
    ~CoverArtLoader() override;

    static constexpr int kMaxEdgePx = 512;
    static constexpr int kCacheKiB = 48 * 1024;
    static constexpr size_t kMaxWaiting = 16; // older requests beyond this are dropped

    /// Asks for the cover of the library song at `relativePath` (as the
    /// library stores it). coverReady() answers, always later, also when the
    /// cover is cached. With `wantFile` the cover is saved as a file too.
    void request(const QString& relativePath, bool wantFile = false);
    /// True while a read runs or waits.
    [[nodiscard]] bool busy() const;
    /// Songs whose files were read so far (cache hits not counted).
    [[nodiscard]] int readsStarted() const { return m_readsStarted; }
    /// Where saved covers go (created when needed); by default the user's
    /// cache folder, "covers" below it.
    void setCacheFolder(const QString& folder) { m_cacheFolder = folder; }
    [[nodiscard]] const QString& cacheFolder() const { return m_cacheFolder; }

Q_SIGNALS:
    /// The cover of `relativePath`: a null image when the song has none (or
    /// its file is missing); `coverFile` is the saved copy, empty when not
    /// asked for or there is no cover.
    void coverReady(const QString& relativePath, const QImage& image, const QString& coverFile);

public:
    /// What the worker hands back.
    struct Result
    {
        QString relativePath;
        QImage image;
        QString coverFile;
    };

private:
    struct Job
    {
        QString relativePath;
        bool wantFile = false;
    };
    struct Entry
    {
        QImage image;
        QString coverFile;
    };
    void startNext();
    void finished();

    QString m_root;
    QString m_cacheFolder;
    QCache<QString, Entry> m_cache;
    std::deque<Job> m_waiting;
    QFutureWatcher<Result> m_watcher;
    Job m_running; // the read under way, if m_watcher runs
    int m_readsStarted = 0;
};

} // namespace quaverly::media
