// A core file using a widget.
#include <QWidget>
