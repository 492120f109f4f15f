#include "media/ui/CoverArtPanels.h"

#include "browser/BrowserState.h"
#include "browser/SongListModel.h"
#include "database/Library.h"
#include "media/ui/CoverArtLoader.h"
#include "media/ui/CoverView.h"
#include "playback/PlayControl.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/ucListView.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTimer>
#include <QUrl>

namespace quaverly::media {
namespace {

constexpr int kAlbumSettleMs = 30; // selection and lists settle within one event; arrow keys move quickly

} // namespace

CoverArtPanels::CoverArtPanels(const CoverArtPlace& window, playback::PlayControl* control)
    : QObject(window.window)
    , m_place(window)
    , m_loader(new CoverArtLoader(window.library->iPodRoot, this))
    , m_albumTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("coverArtPanels"));
    m_albumTimer->setSingleShot(true);
    m_albumTimer->setInterval(kAlbumSettleMs);
    connect(m_albumTimer, &QTimer::timeout, this, &CoverArtPanels::updateAlbumCover);
    connect(m_loader, &CoverArtLoader::coverReady, this, &CoverArtPanels::coverReady);
    placeViews();
    connectBrowser();
    if (control)
        connect(control, &playback::PlayControl::nowPlayingChanged, this,
                [this](const playback::NowPlaying& now) { showNowPlaying(now); });
    scheduleAlbumUpdate();
}

CoverArtPanels* CoverArtPanels::attach(const CoverArtPlace& window, playback::PlayControl* control)
{
    return new CoverArtPanels(window, control);
}

bool CoverArtPanels::busy() const
{
    return m_loader->busy() || m_albumTimer->isActive();
}

void CoverArtPanels::placeViews()
{
    m_now = new CoverView(m_place.window);
    m_now->setObjectName(QStringLiteral("picNowCover"));
    m_now->setFixedSize(kNowPlayingPx, kNowPlayingPx);
    m_place.nowPlaying->setCoverView(m_now);

    m_album = new CoverView(m_place.window);
    m_album->setObjectName(QStringLiteral("picAlbumCover"));
    m_album->setFixedWidth(kAlbumPaneWidthPx);
    m_album->setMinimumHeight(90);
    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    auto* caption = new QLabel(QStringLiteral("Cover:"), m_place.window);
    caption->setObjectName(QStringLiteral("lblcovertop"));
    caption->setStyleSheet(QStringLiteral("font-weight: bold; color: #33495e;"));
    column->addWidget(caption);
    column->addWidget(m_album, 1, Qt::AlignTop);
    m_place.browserRow->addLayout(column, 0);
}

void CoverArtPanels::connectBrowser()
{
    // A click on the album list that changes no selection arrives through the
    // wiring (scheduleAlbumUpdate).
    const auto schedule = [this] { scheduleAlbumUpdate(); };
    connect(m_place.albumList->model(), &QAbstractItemModel::modelReset, this, schedule);
    connect(m_place.albumList->selectionModel(), &QItemSelectionModel::selectionChanged, this, schedule);
    connect(m_place.songList->selectionModel(), &QItemSelectionModel::selectionChanged, this, schedule);
    connect(m_place.songModel, &QAbstractItemModel::modelReset, this, schedule);
    connect(m_place.songModel, &QAbstractItemModel::layoutChanged, this, schedule);
}

void CoverArtPanels::showNowPlaying(const playback::NowPlaying& now)
{
    const database::Library& library = *m_place.library;
    const bool known = now.trackIndex >= 0 && now.trackIndex < library.TrackCount();
    m_playingIndex = known ? now.trackIndex : -1;
    m_playingPath = known ? library.Tracks[static_cast<size_t>(now.trackIndex)].Path : QString();
    if (!m_playingFile.isEmpty()) { // the last song's cover is not this one's
        m_playingFile.clear();
        Q_EMIT playingCoverFileChanged(m_playingFile);
    }
    if (m_playingPath.isEmpty()) {
        m_now->setCover({});
        return;
    }
    m_loader->request(m_playingPath, true);
}

QString CoverArtPanels::coverUrlFor(int trackIndex) const
{
    if (trackIndex < 0 || trackIndex != m_playingIndex || m_playingFile.isEmpty())
        return {};
    return QUrl::fromLocalFile(m_playingFile).toString();
}

void CoverArtPanels::scheduleAlbumUpdate()
{
    m_albumTimer->start();
}

QStringList CoverArtPanels::albumCandidates() const
{
    const database::Library& library = *m_place.library;
    const browser::BrowserState& state = *m_place.browser;
    std::vector<int> tracks;
    const std::vector<int>& chosen = state.selectedRows(browser::BrowserList::Album);
    const bool oneAlbum = (chosen.size() == 1 && chosen.front() != browser::kAllRow)
        || state.entries(browser::BrowserList::Album).size() == 2; // "[All]" and a single album
    if (oneAlbum) {
        const std::vector<int>& album = state.albumTracks();
        tracks.assign(album.begin(), album.begin() + std::min<qsizetype>(album.size(), kAlbumCandidates));
    } else {
        const std::vector<int> rows = m_place.songList->GetLstSongSelected();
        if (!rows.empty())
            tracks.push_back(m_place.songModel->trackAt(rows.front()));
    }
    QStringList paths;
    for (const int track : tracks) {
        if (track >= 0 && track < library.TrackCount())
            paths.append(library.Tracks[static_cast<size_t>(track)].Path);
    }
    return paths;
}

void CoverArtPanels::updateAlbumCover()
{
    const QStringList paths = albumCandidates();
    if (paths == m_albumPaths)
        return; // the same album: its cover is shown or on its way
    m_albumPaths = paths;
    m_albumTry = 0;
    if (m_albumPaths.isEmpty()) {
        m_album->setCover({});
        return;
    }
    m_loader->request(m_albumPaths.front());
}

void CoverArtPanels::coverReady(const QString& relativePath, const QImage& image, const QString& coverFile)
{
    if (relativePath == m_playingPath) {
        m_now->setCover(image);
        if (coverFile != m_playingFile) {
            m_playingFile = coverFile;
            Q_EMIT playingCoverFileChanged(m_playingFile);
        }
    }
    if (m_albumTry < m_albumPaths.size() && relativePath == m_albumPaths.at(m_albumTry)) {
        if (image.isNull() && m_albumTry + 1 < m_albumPaths.size()) {
            m_loader->request(m_albumPaths.at(++m_albumTry)); // the album's next song may carry it
            return;
        }
        m_album->setCover(image);
    }
}

} // namespace quaverly::media
