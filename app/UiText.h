#pragma once

#include "Texts.h"

#include <QString>

// A numbered string of the active language as a QString.
inline QString UiText(int id) { return QString::fromStdString(Text(id)); }

// A caption of the active language bundle (template and control ID), English when it has none.
inline QString UiCaption(int templateId, int controlId, const char* english) {
    return QString::fromStdString(Caption(templateId, controlId, english));
}
