// Built with the core's include path only: a widget header is not found there.
#include <QWidget>

int main()
{
    return 0;
}
