#pragma once

#include <QIcon>

// The program's icon: a mast sending waves, drawn at the sizes a desktop asks for.
QIcon AppIcon();
