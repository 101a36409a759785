#pragma once

#include <QString>

#include <functional>

#include "kelnor/failure.h"
#include "kelnor/report_file.h"

// The window's messages for a calculation that did not complete, as QString.
// `caption(box)` names input box `box` as the window labels it, without the colon.
QString failureMessage(const kelnor::Failure& failure, const std::function<QString(int)>& caption);

// A report that could not be written: the file with the platform's separators and the
// system's reason.
QString writeFailureMessage(const kelnor::WriteFailure& failure);
