// Operations not built yet.
#include "app/tform1.h"

namespace quillon {

void TForm1::Button_FixClick() {}
void TForm1::ListViewItemMoveUpDown(ListView&, int, bool, bool) {}
void TForm1::Button_UpClick() {}
void TForm1::Button_DownClick() {}
void TForm1::move_num(int, int) {}
void TForm1::Button_EnableClick() {}
void TForm1::Button_DisableClick() {}
void TForm1::ListView2DblClick() {}
void TForm1::DefaultClick() {}
void TForm1::N4Click() {}
void TForm1::Button_DELClick() {}
void TForm1::N7Click() {}
void TForm1::disable_all_Click() {}

} // namespace quillon
