#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QBoxLayout;
class QTimer;
class QWidget;

namespace quaverly::browser {
class BrowserState;
class SongListModel;
} // namespace quaverly::browser
namespace quaverly::database {
class Library;
}
namespace quaverly::ui {
class NowPlayingView;
class ucListView;
} // namespace quaverly::ui
namespace quaverly::playback {
class PlayControl;
struct NowPlaying;
} // namespace quaverly::playback

namespace quaverly::media {

class CoverArtLoader;
class CoverView;

/// The parts of the main window the covers use, none owned: the window (their
/// parent), its library and browser lists, the album list and the song list
/// with its model (whose choice picks the album cover), the now-playing area
/// (the playing song's cover goes left of it) and the row of browser lists
/// (the album cover's pane goes at its end).
struct CoverArtPlace
{
    QWidget* window = nullptr;
    const database::Library* library = nullptr;
    const browser::BrowserState* browser = nullptr;
    QAbstractItemView* albumList = nullptr;
    ui::ucListView* songList = nullptr;
    browser::SongListModel* songModel = nullptr;
    ui::NowPlayingView* nowPlaying = nullptr;
    QBoxLayout* browserRow = nullptr;
};

/// Cover art in the main window: `picNowCover` beside the now-playing frame
/// shows the playing song's cover, `picAlbumCover` beside the album list the
/// cover of the album chosen there (of the selected song's album when "[All]"
/// or several albums are chosen). Covers come from the songs' own files
/// through a CoverArtLoader, so the window never waits for them; a song
/// without one shows the placeholder. Lives as long as the window (its child).
class CoverArtPanels : public QObject
{
    Q_OBJECT
public:
    /// `control` may be null (no playback): the now-playing cover then stays empty.
    CoverArtPanels(const CoverArtPlace& window, playback::PlayControl* control);
    static CoverArtPanels* attach(const CoverArtPlace& window, playback::PlayControl* control);

    static constexpr int kAlbumCandidates = 4; // songs of an album tried for its cover
    static constexpr int kNowPlayingPx = 112;
    static constexpr int kAlbumPaneWidthPx = 150;

    [[nodiscard]] CoverView* nowPlayingCover() const { return m_now; }
    [[nodiscard]] CoverView* albumCover() const { return m_album; }
    [[nodiscard]] CoverArtLoader& loader() const { return *m_loader; }
    /// True while a cover is still being read.
    [[nodiscard]] bool busy() const;
    /// A file holding the playing song's cover as stored (JPEG, PNG ...), for
    /// other programs such as a desktop media controller; empty when the
    /// song has none or nothing plays.
    [[nodiscard]] const QString& playingCoverFile() const { return m_playingFile; }
    /// The playing song's cover file as a file URL when `trackIndex` is the
    /// playing song and its cover is known; "" otherwise.
    [[nodiscard]] QString coverUrlFor(int trackIndex) const;
    /// The album list or the song list changed: the album cover follows
    /// once they settle.
    void scheduleAlbumUpdate();

Q_SIGNALS:
    void playingCoverFileChanged(const QString& file);

private:
    void placeViews();
    void connectBrowser();
    void showNowPlaying(const playback::NowPlaying& now);
    void updateAlbumCover();
    void coverReady(const QString& relativePath, const QImage& image, const QString& coverFile);
    [[nodiscard]] QStringList albumCandidates() const;

    CoverArtPlace m_place;
    CoverArtLoader* m_loader;
    CoverView* m_now = nullptr;
    CoverView* m_album = nullptr;
    QTimer* m_albumTimer;
    QString m_playingPath;   // relative path of the playing song, empty for none
    int m_playingIndex = -1; // library index of the playing song, -1 for none
    QString m_playingFile;
    QStringList m_albumPaths; // songs tried for the album cover, in order
    int m_albumTry = 0;
};

} // namespace quaverly::media
