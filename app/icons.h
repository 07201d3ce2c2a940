// Tool-bar icons, drawn at run time.
#pragma once

#include <QIcon>
#include <QString>

namespace lw {
QIcon ToolIcon(const QString& key);
}
