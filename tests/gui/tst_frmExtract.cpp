// The extraction window on the demo iPod (with its song files) into a
// temporary folder: names from the template, the end-of-run messages, a
// target that cannot be written, cancel, Remove and the destination preview.
#include "FileDialogDriver.h"
#include "database/Library.h"
#include "database/LibraryLoader.h"
#include "database/mdlPlayCountEditor.h"
#include "device/DevicePath.h"
#include "export/ui/frmExtract.h"
#include "settings/mdlOptions.h"
#include "tests/support/RecordingPromptService.h"
#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/DemoIpod.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <taglib/id3v2tag.h>
#include <taglib/popularimeterframe.h>
#include <taglib/wavfile.h>

using namespace quaverly;
using namespace quaverly::exporting;
using namespace quaverly::testing;
using namespace Qt::StringLiterals;

namespace {

struct AudioIpod
{
    QTemporaryDir dir;
    database::LoadResult load;
    std::unique_ptr<settings::mdlOptions> options;

    bool make(int tracks = 0)
    {
        QString error;
        tools::DemoOptions demo;
        demo.tracks = tracks;
        demo.audio = true;
        if (!dir.isValid() || !tools::makeDemoIpod(dir.path(), demo, &error))
            return false;
        const QString db = device::DevicePath(dir.path()).existing(u"iPod_Control/iTunes/iTunesDB"_s);
        load = database::LoadiTunesDB(db, dir.path());
        load.library.iPodRoot = dir.path();
        options = std::make_unique<settings::mdlOptions>(dir.path());
        return load.error == database::LoadError::None && load.library.TrackCount() > 0;
    }
    [[nodiscard]] int track(const QString& title, const QString& artist) const
    {
        for (int i = 0; i < load.library.TrackCount(); ++i) {
            const auto& t = load.library.Tracks[static_cast<size_t>(i)];
            if (t.Title == title && t.Artist == artist)
                return i;
        }
        return -1;
    }
};

struct Run
{
    std::optional<ExtractReport> report;
    QPointer<frmExtract> window;
};

/// Starts the run in `window` and waits for it to end.
void extractAndWait(frmExtract* window, Run& run)
{
    run.window = window;
    QObject::connect(window, &frmExtract::extractFinished, window,
                     [&run](const ExtractReport& report) { run.report = report; });
    QTest::mouseClick(window->cmdExtract, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(run.report.has_value(), 30000);
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class tst_frmExtract : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void extractsIntoTheTemplatesFoldersAndSaysSo()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        const std::vector<int> songs { ipod.track(u"Reprise (Live)"_s, u"Marta Quell Trio"_s),
                                       ipod.track(u"Untitled Jam"_s, u"Neon Harbour"_s),
                                       ipod.track(u"Café Society"_s, u"Les Étoiles Filantes"_s) };
        QVERIFY(std::find(songs.begin(), songs.end(), -1) == songs.end());
        ui::RecordingPromptService prompts;
        auto* window = new frmExtract(ipod.load.library, *ipod.options, prompts);
        window->AddSongs(songs);
        window->show();
        window->txtDir->setText(target.path());
        window->txtFormat->setText(u"[GENRE]\\[artist]\\[title]"_s);
        Run run;
        extractAndWait(window, run);

        QCOMPARE(run.report->copied, 3);
        QCOMPARE(
            filesUnder(target.path()),
            (QStringList { u"Jazz/Les Étoiles Filantes/Café Society.wav"_s, u"Jazz/Marta Quell Trio/Reprise Live.wav"_s,
                           u"No Genre/Neon Harbour/Untitled Jam.wav"_s })); // the reader names an empty genre
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Extracted!"_s);
        QCOMPARE(prompts.requests[0].text, u"All the songs were extracted successfully!"_s);
        // The template and the folder (with its trailing separator) outlive the window.
        QCOMPARE(ipod.options->GetOption(u"txtformat"_s, {}), u"[GENRE]\\[artist]\\[title]"_s);
        QCOMPARE(ipod.options->GetOption(u"ExtractDIR"_s, {}), target.path() + u"/"_s);
        QTRY_VERIFY(run.window.isNull()); // closed and deleted after a finished run
    }

    void tagsAndCoversAreChosenKeptAndDone()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        ui::RecordingPromptService prompts;
        {
            frmExtract first(ipod.load.library, *ipod.options, prompts);
            QVERIFY(!first.chkTags->isChecked()); // off until chosen
            QVERIFY(!first.chkCovers->isChecked());
            QTest::mouseClick(first.chkTags, Qt::LeftButton);
            QTest::mouseClick(first.chkCovers, Qt::LeftButton);
        }
        QCOMPARE(ipod.options->GetOption(u"ExtractTags"_s, {}), u"True"_s);
        // Blue Hour and Half Past Two ("Late Set", with a cover), Field Recording 1 ("Sketches", none).
        const std::vector<int> songs { ipod.track(u"Blue Hour"_s, u"Marta Quell Trio"_s),
                                       ipod.track(u"Half Past Two"_s, u"Marta Quell Trio"_s),
                                       ipod.track(u"Field Recording 1"_s, u"No Artist"_s) };
        QVERIFY(std::find(songs.begin(), songs.end(), -1) == songs.end());
        database::mdlPlayCountEditor playCounts = ipod.load.playCounts;
        QCOMPARE(playCounts.SetRating(songs[1], 1), database::PlayCountError::None); // rated on the iPod since
        auto* window = new frmExtract(ipod.load.library, *ipod.options, prompts);
        QVERIFY(window->chkTags->isChecked());
        QVERIFY(window->chkCovers->isChecked());
        window->setPlayCounts(playCounts);
        window->AddSongs(songs);
        window->txtDir->setText(target.path());
        window->txtFormat->setText(u"[album]\\[title]"_s);
        window->show();
        Run run;
        extractAndWait(window, run);

        QCOMPARE(run.report->copied, 3);
        QCOMPARE(run.report->tagged, 3);
        QCOMPARE(filesUnder(target.path()),
                 (QStringList { u"Late Set/Blue Hour.wav"_s, u"Late Set/Half Past Two.wav"_s, u"Late Set/cover.png"_s,
                                u"Sketches/Field Recording 1.wav"_s }));
        QFile cover(target.filePath(u"Late Set/cover.png"_s));
        QVERIFY(cover.open(QIODevice::ReadOnly));
        QCOMPARE(cover.readAll(), tools::makeCoverPng(3));
        TagLib::RIFF::WAV::File copy(QFile::encodeName(target.filePath(u"Late Set/Half Past Two.wav"_s)).constData(),
                                     false);
        QCOMPARE(QString::fromStdString(copy.ID3v2Tag()->album().to8Bit(true)), u"Late Set"_s);
        const auto popm = copy.ID3v2Tag()->frameList("POPM");
        QCOMPARE(popm.size(), 1u);
        QCOMPARE(static_cast<TagLib::ID3v2::PopularimeterFrame*>(popm.front())->rating(), 1); // the iPod's 1 star
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Extracted!"_s);
        QVERIFY2(prompts.requests[0].details.contains(u"got no cover"_s), qPrintable(prompts.requests[0].details));
    }

    void aTargetThatCannotBeWrittenListsEverySongAndClaimsNoSuccess()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        QFile blocker(target.filePath(u"file"_s)); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ui::RecordingPromptService prompts;
        auto* window = new frmExtract(ipod.load.library, *ipod.options, prompts);
        window->AddSongs({ 0, 1 });
        window->txtDir->setText(target.filePath(u"file/music"_s));
        window->show();
        Run run;
        extractAndWait(window, run);

        QCOMPARE(run.report->copied, 0);
        QCOMPARE(prompts.requests.size(), size_t(1));
        const ui::PromptRequest& box = prompts.requests[0];
        QVERIFY(box.title != u"Extracted!"_s);
        QVERIFY2(box.text.startsWith(u"0 of 2 songs"_s), qPrintable(box.text));
        QCOMPARE(box.details.split(u'\n').size(), 2);
        const auto& lib = ipod.load.library;
        QVERIFY(box.details.contains(lib.Tracks[0].Artist + u" - "_s + lib.Tracks[0].Title + u": "_s));
        QCOMPARE(filesUnder(target.path()), QStringList { u"file"_s });
    }

    void cancelStopsTheRunAndLeavesNoPartialFile()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make(400));
        QTemporaryDir target;
        QVERIFY(target.isValid());
        ui::RecordingPromptService prompts;
        auto* window = new frmExtract(ipod.load.library, *ipod.options, prompts);
        std::vector<int> all(static_cast<size_t>(ipod.load.library.TrackCount()));
        std::iota(all.begin(), all.end(), 0);
        window->AddSongs(all);
        window->txtDir->setText(target.path());
        window->show();
        Run run;
        run.window = window;
        QObject::connect(window, &frmExtract::extractFinished, window,
                         [&run](const ExtractReport& report) { run.report = report; });
        QTest::mouseClick(window->cmdExtract, Qt::LeftButton);
        QVERIFY(window->isExtracting());
        QVERIFY(window->fraExtract->isVisible());
        QVERIFY(!window->cmdExtract->isEnabled());
        QTest::mouseClick(window->cmdStop, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(run.report.has_value(), 30000);

        QVERIFY(run.report->cancelled);
        QVERIFY(run.report->copied < static_cast<int>(all.size()));
        const QStringList files = filesUnder(target.path());
        QCOMPARE(files.size(), run.report->copied);
        QVERIFY(files.filter(u".quaverly-"_s).isEmpty());
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Extract Cancelled"_s);
        // The window stays for another try, with its list intact.
        QVERIFY(!run.window.isNull());
        QVERIFY(!window->fraExtract->isVisible());
        QVERIFY(window->cmdExtract->isEnabled());
        QCOMPARE(window->lstSongs->count(), static_cast<int>(all.size()));
        delete window;
    }

    void removeDropsTwoAdjacentSelectedLines()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.AddSongs({ 4, 5, 6, 7, 5 });
        QCOMPARE(window.lstSongs->count(), 4);
        window.lstSongs->item(1)->setSelected(true);
        window.lstSongs->item(2)->setSelected(true);
        QTest::mouseClick(window.cmdRemovePlayer, Qt::LeftButton);

        QCOMPARE(window.pending().indexes(), (std::vector<int> { 4, 7 }));
        const auto& lib = ipod.load.library;
        QCOMPARE(window.lstSongs->count(), 2);
        QCOMPARE(window.lstSongs->item(1)->text(), lib.Tracks[7].Artist + u" - "_s + lib.Tracks[7].Title);
        QVERIFY(window.lstSongs->selectedItems().isEmpty());
    }

    void previewFollowsTheTemplateAndFolder()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.AddSongs({ ipod.track(u"Reprise (Live)"_s, u"Marta Quell Trio"_s) });
        window.txtDir->setText(u"/music"_s);
        window.txtFormat->setText(u"[artist]\\[title]"_s);
        QVERIFY2(window.lblPreview->text().contains(u"/music/Marta Quell Trio/Reprise Live.wav"_s),
                 qPrintable(window.lblPreview->text()));
        window.txtFormat->setText(u"[album] - [title]"_s);
        QVERIFY(window.lblPreview->text().contains(u"/music/Late Set - Reprise Live.wav"_s));
        QCOMPARE(ipod.options->GetOption(u"ExtractDIR"_s, {}), u"/music"_s); // each change is stored
    }

    // Browse opens the real folder dialog where the text box points, lists
    // files greyed, and answers the folder the user picked — clicked, typed,
    // or new — without entering it.
    void browsePicksTheFolderTheUserChose_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected"); // below the target folder; "" for the folder itself
        QTest::newRow("folder clicked") << u"click"_s << u"Music Folder"_s;
        // Entered, the folder shows inside the dialog: choosing then answers it, not FOLDER/FOLDER.
        QTest::newRow("folder double-clicked, then chosen") << u"enter"_s << u"Music Folder"_s;
        QTest::newRow("existing folder typed") << u"type:Music Folder"_s << u"Music Folder"_s;
        QTest::newRow("new folder typed") << u"type:Brand New"_s << u"Brand New"_s;
        QTest::newRow("nothing picked") << u"none"_s << u""_s;
    }
    void browsePicksTheFolderTheUserChose()
    {
        QFETCH(QString, how);
        QFETCH(QString, expected);
        AudioIpod ipod;
        QVERIFY(ipod.make(3));
        QTemporaryDir target;
        QVERIFY(QDir(target.path()).mkpath(u"Music Folder/Inside"_s));
        QVERIFY(QDir(target.path()).mkpath(u"Other"_s));
        QFile song(target.filePath(u"song.mp3"_s));
        QVERIFY(song.open(QIODevice::WriteOnly));
        song.close();
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.txtDir->setText(target.path());
        window.show();
        bool driven = false;
        whenFileDialogShows([&](QFileDialog* dialog) {
            QCOMPARE(QFileInfo(dialog->directory().path()).canonicalFilePath(),
                     QFileInfo(target.path()).canonicalFilePath());
            QTRY_VERIFY(shownEntry(dialog, u"song.mp3"_s).isValid()); // files are listed, greyed
            QVERIFY(!(shownEntry(dialog, u"song.mp3"_s).flags() & Qt::ItemIsEnabled));
            QTRY_VERIFY(shownEntry(dialog, u"Music Folder"_s).isValid());
            if (how == u"click"_s) {
                QVERIFY(clickEntry(dialog, u"Music Folder"_s));
            } else if (how == u"enter"_s) {
                QVERIFY(clickEntry(dialog, u"Music Folder"_s)); // a double click's first press
                QListView* list = fileList(dialog);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                                   list->visualRect(shownEntry(dialog, u"Music Folder"_s)).center());
                QTRY_VERIFY(shownEntry(dialog, u"Inside"_s).isValid());
            } else if (how.startsWith(u"type:"_s)) {
                QVERIFY(nameBox(dialog));
                QTest::keyClicks(nameBox(dialog), how.mid(5));
            }
            QPushButton* choose = acceptButton(dialog);
            QVERIFY(choose);
            QTRY_VERIFY(choose->isEnabled());
            QTest::mouseClick(choose, Qt::LeftButton);
            QVERIFY(!dialog->isVisible()); // one press chooses
            driven = true;
        });
        QTest::mouseClick(window.cmdBrowse, Qt::LeftButton);
        QVERIFY(driven);
        const QString want = expected.isEmpty() ? target.path() : target.filePath(expected);
        QCOMPARE(QFileInfo(window.txtDir->text()).absoluteFilePath(), QFileInfo(want).absoluteFilePath());
        QCOMPARE(ipod.options->GetOption(u"ExtractDIR"_s, {}), window.txtDir->text());
    }

    void browseStartsAtTheFolderTypedEvenBeforeItExists()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make(3));
        QTemporaryDir target;
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.txtDir->setText(target.filePath(u"Not Yet/Made"_s));
        window.show();
        bool driven = false;
        whenFileDialogShows([&](QFileDialog* dialog) {
            QCOMPARE(QFileInfo(dialog->directory().path()).canonicalFilePath(),
                     QFileInfo(target.path()).canonicalFilePath());
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            QVERIFY(name);
            QCOMPARE(name->text(), u"Not Yet/Made"_s);
            QTest::mouseClick(acceptButton(dialog), Qt::LeftButton);
            driven = true;
        });
        QTest::mouseClick(window.cmdBrowse, Qt::LeftButton);
        QVERIFY(driven);
        QCOMPARE(window.txtDir->text(), QDir::toNativeSeparators(target.filePath(u"Not Yet/Made"_s)));

        // Cancel changes nothing.
        whenFileDialogShows([](QFileDialog* dialog) { dialog->reject(); });
        QTest::mouseClick(window.cmdBrowse, Qt::LeftButton);
        QCOMPARE(window.txtDir->text(), QDir::toNativeSeparators(target.filePath(u"Not Yet/Made"_s)));
    }

    void aRelativeFolderIsRefused()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.AddSongs({ 0 });
        window.txtDir->setText(u"music"_s);
        QTest::mouseClick(window.cmdExtract, Qt::LeftButton);
        QVERIFY(!window.isExtracting());
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].icon, ui::PromptIcon::Warning);
    }

    void aFolderOnTheIpodIsRefused_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the iPod root; "@" names a link to it beside the iPod
        QTest::newRow("the Music folder") << u"iPod_Control/Music"_s;
        QTest::newRow("a new folder on the iPod") << u"Copies/new"_s;
        QTest::newRow("through a link") << u"@/iPod_Control"_s;
    }
    void aFolderOnTheIpodIsRefused()
    {
        QFETCH(QString, folder);
        AudioIpod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir beside;
        QVERIFY(beside.isValid());
        QVERIFY(QFile::link(ipod.dir.path(), beside.filePath(u"ipod-link"_s)));
        const QString dir = folder.startsWith(u'@') ? beside.filePath(u"ipod-link"_s) + folder.mid(1)
                                                    : ipod.dir.filePath(folder);
        const QString music = ipod.dir.filePath(u"iPod_Control/Music"_s);
        const QStringList before = filesUnder(music);
        ui::RecordingPromptService prompts;
        frmExtract window(ipod.load.library, *ipod.options, prompts);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.AddSongs({ 0, 1 });
        window.txtDir->setText(dir);
        QTest::mouseClick(window.cmdExtract, Qt::LeftButton);
        QVERIFY(!window.isExtracting());
        QCOMPARE(prompts.requests.size(), size_t(1));
        QCOMPARE(prompts.requests[0].title, u"Folder On The iPod!"_s);
        QCOMPARE(filesUnder(music), before);
        QVERIFY(!QFileInfo::exists(ipod.dir.filePath(u"Copies"_s)));
    }

    void filesAlreadyInTheTargetAreKept()
    {
        AudioIpod ipod;
        QVERIFY(ipod.make());
        QTemporaryDir target;
        QVERIFY(target.isValid());
        const int song = ipod.track(u"Untitled Jam"_s, u"Neon Harbour"_s);
        QVERIFY(song >= 0);
        QFile mine(target.filePath(u"Untitled Jam.wav"_s));
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("my own recording") > 0);
        mine.close();
        ui::RecordingPromptService prompts;
        auto* window = new frmExtract(ipod.load.library, *ipod.options, prompts);
        window->AddSongs({ song });
        window->show();
        window->txtDir->setText(target.path());
        window->txtFormat->setText(u"[title]"_s);
        Run run;
        extractAndWait(window, run);

        QCOMPARE(run.report->copied, 1);
        QCOMPARE(filesUnder(target.path()), (QStringList { u"Untitled Jam (2).wav"_s, u"Untitled Jam.wav"_s }));
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("my own recording"));
        QVERIFY(QFileInfo(target.filePath(u"Untitled Jam (2).wav"_s)).size() > 1000);
    }

    void progressTextCases_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<qint64>("bytesDone");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("expected");
        constexpr qint64 mb = 1024 * 1024;
        QTest::newRow("too early to estimate") << 1 << mb << qint64(500) << u"1 of 4 songs, 1.0 MB of 4.0 MB"_s;
        QTest::newRow("seconds left") << 1 << mb << qint64(2000) << u"1 of 4 songs, 1.0 MB of 4.0 MB, about 6 s left"_s;
        QTest::newRow("minutes left") << 1 << mb << qint64(60000)
                                      << u"1 of 4 songs, 1.0 MB of 4.0 MB, about 3 min left"_s;
        QTest::newRow("nothing copied yet") << 0 << qint64(0) << qint64(9000) << u"0 of 4 songs, 0 bytes of 4.0 MB"_s;
    }
    void progressTextCases()
    {
        QFETCH(int, done);
        QFETCH(qint64, bytesDone);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, expected);
        ExtractProgress progress;
        progress.songsDone = done;
        progress.songsTotal = 4;
        progress.bytesDone = bytesDone;
        progress.bytesTotal = 4 * 1024 * 1024;
        QCOMPARE(progressText(progress, elapsedMs), expected);
    }
};

QTEST_MAIN(tst_frmExtract)
#include "tst_frmExtract.moc"
