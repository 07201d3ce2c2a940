// "調号(&K)...": the active row's key set directly with the key dialog.
#include "ko_key.h"
#include "main_window.h"
#include "row_editor.h"

namespace lw {

void MainWindow::mnuSeteiKey() {
    if (!IsDanOpen(shell_->OpenRowCount(), 1)) return;
    KoKey dlg(shell_->s, ui_, *shell_, this);
    dlg.SetTag("0");
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    shell_->mnuViewRefresh();
    shell_->RowEdited();
}

}  // namespace lw
