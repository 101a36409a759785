#pragma once

#include <QString>

#include <functional>

#include "kelnor/failure.h"

// What the user is told when a calculation does not complete, in Chinese: the kind of
// failure; for a box that could not be read, the box by its caption and the text as typed;
// for a report that could not be written, the file and the system's reason.
// `caption(box)` names input box `box` as the window labels it, without the colon.
QString failureMessage(const kelnor::Failure& failure, const std::function<QString(int)>& caption);
