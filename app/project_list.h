// koProjectList: the files of the open project and the row window holding
// each of them.
#pragma once

#include <QWidget>
#include <vector>

#include "shell.h"

class QTreeWidget;

namespace lw {

class ProjectListWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProjectListWindow(Shell& shell, QWidget* parent = nullptr);
    QTreeWidget* ListProject = nullptr;
    void RefreshProjectList();

signals:
    void rowChosen(const QString& caption);

private:
    Shell& shell_;
};

}  // namespace lw
