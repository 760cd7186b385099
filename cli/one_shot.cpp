// The command-line program: the request read from the arguments and handed,
// with the writer of standard output, to the form that answers it.
#include "cli/one_shot.h"

#include "cli/forms.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/reports.h"
#include "runtime/command_line.h"
#include "runtime/program.h"

namespace cli {

namespace {

uint16_t Dispatch(const Request& request, Writer& writer) {
  switch (request.form) {
    case Form::help:
      WriteHelp(writer, platform::NativeHelpOption());
      return 0;
    case Form::version:
      WriteVersion(writer);
      return 0;
    case Form::usageError:
      RefuseCommandLine(request.reason);
    case Form::answer:
      return AnswerForm(request, writer);
    case Form::split:
      return SplitForm(request, writer);
    case Form::hosts:
      return HostsForm(request, writer);
    case Form::range:
      return RangeForm(request, writer);
    case Form::set:
      return SetForm(request, writer);
    case Form::grep:
      return GrepForm(request, writer);
    case Form::list:
      return ListForm(request, writer);
  }
  return 0;
}

}  // namespace

void AnswerOnce() {
  runtime::InitModules();
  const Request request =
      ReadOptions(runtime::ArgumentCount(), runtime::Arguments(), platform::NativeHelpOption());
  Writer writer;
  StartWriter(writer);
  const uint16_t code = Dispatch(request, writer);
  FinishWriter(writer);
  runtime::StopProgram(code);
}

}  // namespace cli
