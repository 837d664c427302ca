// Fuzz target of the remote command parser: any datagram gives either nothing (no prefix) or a command word
// that is upper case, trimmed of spaces and no longer than the datagram's second field; a known command is
// its exact name. The remote tests replay its corpus.
#include "common/Fields.h"
#include "remote/RemoteSentence.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ondrix;
    const std::string_view sentence(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> word = CommandWord(sentence);
    Check(word.has_value() == sentence.starts_with(kSentencePrefix),
          "a word exactly when the prefix is there");
    if (word) {
        Check(word->size() <= ExtractField(sentence, ",", 2).size(), "the word lies in the second field");
        Check(word->find(',') == std::string::npos, "no separator in the word");
        Check(word->empty() || (word->front() != ' ' && word->back() != ' '), "no blank at either end");
        for (const char c : *word) {
            Check(c < 'a' || c > 'z', "upper case");
        }
        const RemoteCommand command = CommandFromWord(*word);
        Check(command == RemoteCommand::Unknown || word->size() <= 11, "a known word is a command name");
    }
    (void)IsIpAddress(sentence);
    return 0;
}
