#include "transfercommands.h"

#include "commands.h"

namespace linkwell::cli {

// Built when the tree has no phone room yet: the commands exist and say why
// they cannot run.
namespace {
int unavailable(CliContext& context)
{
    context.err << "linkwell-cli: this build has no phone service library" << Qt::endl;
    return ExitFailed;
}
} // namespace

int downloadCommand(const TransferRequest&, CliContext& context)
{
    return unavailable(context);
}

int uploadCommand(const TransferRequest&, CliContext& context)
{
    return unavailable(context);
}

} // namespace linkwell::cli
