#pragma once
// The About box: the program's version, what it does and the licences of the
// libraries it uses.
class QWidget;

namespace tallivo {

void ShowAboutBox(QWidget* parent);

} // namespace tallivo
