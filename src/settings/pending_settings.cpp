// Other settings not built yet.
#include "app/tform1.h"

namespace quillon {

void TForm1::readother() {}
void TForm1::CheckBox1Click() {}
void TForm1::CheckBox3Click() {}
void TForm1::ComboBox3Change() {}

} // namespace quillon
