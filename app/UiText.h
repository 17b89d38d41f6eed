#pragma once

#include "Texts.h"

#include <QString>

// A numbered string of the active language as a QString.
inline QString UiText(int id) { return QString::fromStdString(Text(id)); }
