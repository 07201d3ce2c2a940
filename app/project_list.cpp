#include "project_list.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lw {

ProjectListWindow::ProjectListWindow(Shell& shell, QWidget* parent)
    : QWidget(parent, Qt::Tool), shell_(shell) {
    setObjectName("koProjectList");
    setWindowTitle(QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ一覧"));
    ListProject = new QTreeWidget(this);
    ListProject->setObjectName("ListProject");
    ListProject->setColumnCount(2);
    ListProject->setHeaderLabels({QStringLiteral("ﾌｧｲﾙ名"), QStringLiteral("段")});
    ListProject->setRootIsDecorated(false);
    ListProject->header()->setStretchLastSection(true);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(ListProject);
    resize(260, 300);
    connect(ListProject, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (item && !item->text(1).isEmpty()) emit rowChosen(item->text(1));
    });
}

void ProjectListWindow::RefreshProjectList() {
    ListProject->clear();
    for (const auto& it : shell_.ProjectListItems()) {
        auto* item = new QTreeWidgetItem(ListProject);
        item->setText(0, QString::fromStdString(it.FileName));
        item->setText(1, QString::fromStdString(it.Caption));
    }
    ListProject->resizeColumnToContents(0);
}

}  // namespace lw
