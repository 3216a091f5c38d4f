#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon resources, drawn rather than shipped as binary files: 101 the program,
// 102 the log viewers, 103 the connect dialog.
class VarrowIcons
{
public:
    static QIcon icon(int resource);
    static QPixmap picture(int resource, int size);
};
