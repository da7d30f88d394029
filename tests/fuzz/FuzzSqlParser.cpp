// The stand-in's statement lexer and parser on arbitrary batches.
#include "FuzzCheck.h"
#include "SqlLexer.h"
#include "SqlParser.h"

#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString batch = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const standin::SqlLexResult lexed = standin::tokenizeSql(batch);
    FUZZ_CHECK(!lexed.tokens.isEmpty() && lexed.tokens.last().kind == standin::SqlToken::Kind::End,
        "the tokens end with an End token");
    for (const standin::SqlToken &token : lexed.tokens)
        FUZZ_CHECK(token.offset >= 0 && token.offset <= batch.size(), "tokens lie inside the batch");

    const standin::ParsedBatch parsed = standin::parseSqlBatch(batch);
    FUZZ_CHECK(lexed.errors.isEmpty() || !parsed.errors.isEmpty(), "a lexical error is reported");
    FUZZ_CHECK(parsed.errors.isEmpty() || parsed.statements.isEmpty(), "nothing of a faulty batch runs");
    return 0;
}
