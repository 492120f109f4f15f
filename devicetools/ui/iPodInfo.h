#pragma once
#include "ui/widgets/SkinnedWindow.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace quaverly::devicetools {

/// The iPod's description of itself: the lines of its Sysinfo file, the
/// model, serial number and firmware from SysInfoExtended when the device
/// wrote one, and the free and total space of its disk.
class iPodInfo : public ui::SkinnedWindow
{
    Q_OBJECT
public:
    explicit iPodInfo(const QString& iPodRoot, QWidget* parent = nullptr);

    QLabel* lblInfo;
    QListWidget* List1;
    QLabel* lblSpace;
    QPushButton* cmdOK;

private:
    void Form_Load(const QString& iPodRoot);
};

} // namespace quaverly::devicetools
