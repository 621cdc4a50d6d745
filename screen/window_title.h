// Titles of the program's message boxes.
#pragma once

#include <QString>

namespace kalo {

// Qt shows the program's name on a window whose title is empty; a box meant
// to have no title gets a single blank instead, which shows as nothing.
inline QString ShownTitle(const QString& title) {
  return title.isEmpty() ? QStringLiteral(" ") : title;
}

}  // namespace kalo
