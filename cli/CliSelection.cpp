#include "cli/CliSelection.h"

#include "browser/BrowserState.h"
#include "cli/CliSupport.h"
#include "database/Library.h"

namespace quaverly::cli {
namespace {

using browser::BrowserList;
using browser::BrowserState;

const QString kSource = QStringLiteral("source");
const QString kGenre = QStringLiteral("genre");
const QString kArtist = QStringLiteral("artist");
const QString kAlbum = QStringLiteral("album");
const QString kSearch = QStringLiteral("search");
const QString kNoSort = QStringLiteral("no-sort");

// Clicks the named entries of one list: the first alone, each further one
// added to the selection, as Ctrl-clicks do.
bool clickNames(BrowserState& browser, BrowserList list, const QStringList& values, QString* error)
{
    std::vector<int> selected;
    for (const QString& value : values) {
        const int row = browser.findEntry(list, value);
        if (row < 0) {
            if (error)
                *error = QStringLiteral("No %1 named \"%2\" in this selection.")
                             .arg(list == BrowserList::Genre        ? kGenre
                                      : list == BrowserList::Artist ? kArtist
                                                                    : kAlbum,
                                  value);
            return false;
        }
        selected.push_back(row);
        if (list == BrowserList::Genre)
            browser.selectGenres(row, selected);
        else if (list == BrowserList::Artist)
            browser.selectArtists(row, selected);
        else
            browser.selectAlbums(row, selected);
    }
    return true;
}

} // namespace

void addSelectionOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(kSource, QStringLiteral("The source playlist (default: the whole iPod)."),
                                        QStringLiteral("NAME")));
    parser.addOption(
        QCommandLineOption(kGenre, QStringLiteral("A genre; repeat to select several."), QStringLiteral("G")));
    parser.addOption(
        QCommandLineOption(kArtist, QStringLiteral("An artist; repeat to select several."), QStringLiteral("A")));
    parser.addOption(
        QCommandLineOption(kAlbum, QStringLiteral("An album; repeat to select several."), QStringLiteral("B")));
    parser.addOption(QCommandLineOption(kSearch, QStringLiteral("Keep the rows holding every word of TEXT."),
                                        QStringLiteral("TEXT")));
    parser.addOption(
        QCommandLineOption(kNoSort, QStringLiteral("Keep the playlist's order (\"No Sorting [Faster]\").")));
}

std::optional<std::vector<int>> resolveSelection(const database::Library& library, const QCommandLineParser& parser,
                                                 QString* error)
{
    BrowserState browser(library);
    browser.setSortRows(!parser.isSet(kNoSort));
    int sourceRow = 0;
    if (parser.isSet(kSource)) {
        sourceRow = browser.findEntry(BrowserList::Source, parser.value(kSource));
        if (sourceRow < 0) {
            if (error)
                *error = QStringLiteral("No source named \"%1\".").arg(parser.value(kSource));
            return std::nullopt;
        }
    }
    browser.selectSource(sourceRow);
    if (!clickNames(browser, BrowserList::Genre, parser.values(kGenre), error)
        || !clickNames(browser, BrowserList::Artist, parser.values(kArtist), error)
        || !clickNames(browser, BrowserList::Album, parser.values(kAlbum), error))
        return std::nullopt;
    if (parser.isSet(kSearch))
        browser.setSearchText(parser.value(kSearch));
    return browser.songRows();
}

std::vector<int> selectedTracks(const database::Library& library, const QCommandLineParser& parser)
{
    QString error;
    std::optional<std::vector<int>> rows = resolveSelection(library, parser, &error);
    if (!rows) {
        printError(error);
        return {};
    }
    return std::move(*rows);
}

} // namespace quaverly::cli
