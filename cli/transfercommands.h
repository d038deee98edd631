#pragma once

#include <QString>
#include <cstdint>

namespace linkwell::cli {

struct CliContext;

struct TransferRequest {
    std::uint8_t port = 0;
    QString image;          // written by download, read by upload
    bool confirmed = false; // upload --yes
    QString backup;         // upload --backup: where the phone's favourites go first; empty: none
};

// The window's download and upload sequences with their history printed as
// it happens; the exit status back.
int downloadCommand(const TransferRequest& request, CliContext& context);
int uploadCommand(const TransferRequest& request, CliContext& context);

} // namespace linkwell::cli
