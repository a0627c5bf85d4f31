#include "gui/TForm1.h"

namespace tallivo {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {}

} // namespace tallivo
