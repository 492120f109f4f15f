#include "export/ui/ExportWindows.h"

#include "export/ui/PlayExportCommand.h"
#include "export/ui/frmExtract.h"

#include <QWidget>

namespace quaverly::exporting {

ExportWindows::ExportWindows(QWidget& window, const database::Library& library, settings::mdlOptions& options,
                             ui::PromptService& prompts)
    : QObject(&window)
    , m_window(window)
    , m_library(library)
    , m_options(options)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("exportWindows"));
}

void ExportWindows::setDeviceFiles(const QString& databaseFile, const database::mdlPlayCountEditor& playCounts)
{
    m_databaseFile = databaseFile;
    m_playCounts = playCounts;
}

frmExtract* ExportWindows::extractWindow() const
{
    return m_extract;
}

frmExtract* ExportWindows::showExtract(const std::vector<int>& trackIndexes)
{
    if (m_extract && m_extract->isExtracting()) {
        m_extract->raise(); // one run at a time
        return m_extract;
    }
    if (m_extract)
        m_extract->close();
    m_extract = new frmExtract(m_library, m_options, m_prompts, &m_window);
    m_extract->AddSongs(trackIndexes);
    if (m_playCounts)
        m_extract->setPlayCounts(*m_playCounts);
    m_extract->move(m_window.geometry().center() - QPoint(m_extract->width() / 2, m_extract->height() / 2));
    m_extract->show();
    return m_extract;
}

void ExportWindows::exportPlays()
{
    PlayExportCommand command(&m_window, m_library, m_databaseFile, m_options, m_prompts);
    command.run();
}

void ExportWindows::closeWindows()
{
    if (m_extract)
        m_extract->close();
}

} // namespace quaverly::exporting
