// The forms the command-line program answers in, one file each. A form
// takes the request and the writer of standard output, writes its answer,
// and returns the exit code: 0, or 1 when a line of a list was bad (the grep
// mode's are grep's). A form that cannot answer at all ends the program
// itself, with its reason (reports.h).
#pragma once

#include <cstdint>

#include "cli/request.h"
#include "cli/writer.h"

namespace cli {

uint16_t AnswerForm(const Request& request, Writer& writer);  // answer_form.cpp
uint16_t SplitForm(const Request& request, Writer& writer);   // split_form.cpp
uint16_t HostsForm(const Request& request, Writer& writer);   // hosts_form.cpp
uint16_t RangeForm(const Request& request, Writer& writer);   // range_form.cpp
uint16_t SetForm(const Request& request, Writer& writer);     // set_form.cpp
uint16_t ListForm(const Request& request, Writer& writer);    // list_form.cpp
uint16_t GrepForm(const Request& request, Writer& writer);    // grep_form.cpp

}  // namespace cli
