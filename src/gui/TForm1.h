#pragma once
#include <QMainWindow>

namespace tallivo {

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace tallivo
