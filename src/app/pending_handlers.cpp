// Handlers whose subsystems are not built yet: the controls exist and do nothing.
#include "app/tform1.h"

namespace quillon {

void TForm1::Button_HotkeyClick() {}
void TForm1::ListView1DblClick() {}

} // namespace quillon
