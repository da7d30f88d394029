// The stand-in's TDS message reader on a real socket: the input is what a client sends,
// written to one end of a socket pair and read back as messages, whose PRELOGIN and
// LOGIN7 payloads and remote procedure calls then go to the stand-in's readers of them.
#include "FuzzCheck.h"
#include "Login.h"
#include "PacketIO.h"
#include "ProcedureCall.h"

#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t MaxInput = 96 * 1024; // fits in the socket buffers set below

void readMessages(int fd)
{
    standin::Socket socket(fd);
    standin::MessageReader reader(socket);
    // An attention among the first messages is reported; the others stay for read().
    if (reader.pollForAttention(0) == standin::MessageReader::Poll::Closed)
        return;
    while (const std::optional<standin::TdsMessage> message = reader.read()) {
        FUZZ_CHECK(
            message->status & standin::PacketStatus::EndOfMessage, "a message ends with its EOM packet");
        if (message->type == standin::PacketType::Prelogin) {
            standin::preloginReply(message->payload, {}, standin::preloginEncryption(message->payload));
        } else if (message->type == standin::PacketType::Rpc) {
            standin::callRequest(message->payload);
        } else if (message->type == standin::PacketType::Login7) {
            if (const std::optional<standin::Login7> login = standin::parseLogin7(message->payload)) {
                FUZZ_CHECK(standin::unscramblePassword(standin::scramblePassword(login->password))
                        == login->password,
                    "the password scrambling is reversible");
            }
        }
    }
    FUZZ_CHECK(!reader.errorString().isEmpty(), "the end of the stream is explained");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > MaxInput)
        return 0;
    int ends[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0, "a socket pair");
    const int buffer = int(2 * MaxInput);
    ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::setsockopt(ends[1], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    size_t written = 0;
    while (written < size) {
        const ssize_t sent = ::send(ends[0], data + written, size - written, MSG_NOSIGNAL);
        FUZZ_CHECK(sent > 0, "the input fits in the socket buffers");
        written += size_t(sent);
    }
    ::close(ends[0]); // the client is done: the reader meets the end of the stream
    readMessages(ends[1]); // the socket closes ends[1]
    return 0;
}
