#include "devicetools/ui/iPodInfo.h"

#include "devicetools/DeviceInfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quaverly::devicetools {

iPodInfo::iPodInfo(const QString& iPodRoot, QWidget* parent)
    : ui::SkinnedWindow(QStringLiteral("iPod Info"), QStringLiteral("iPod Information"), parent)
{
    setObjectName(QStringLiteral("iPodInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblInfo = new QLabel(QStringLiteral("Your iPod Info"), body());
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    List1 = new QListWidget(body());
    List1->setObjectName(QStringLiteral("List1"));
    lblSpace = new QLabel(QStringLiteral("iPod Space: 2GB / 15GB"), body());
    lblSpace->setObjectName(QStringLiteral("lblSpace"));
    cmdOK = new QPushButton(QStringLiteral("OK"), body());
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(14, 12, 14, 14);
    layout->addWidget(lblInfo);
    layout->addWidget(List1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblSpace, 1);
    bottom->addWidget(cmdOK);
    layout->addLayout(bottom);
    resize(420, 380);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    Form_Load(iPodRoot);
}

void iPodInfo::Form_Load(const QString& iPodRoot)
{
    List1->addItems(readSysinfo(iPodRoot));
    List1->addItems(readSysInfoExtended(iPodRoot));
    lblSpace->setText(spaceText(diskSpaceOf(iPodRoot)));
}

} // namespace quaverly::devicetools
