#include "directory/message_texts.h"

#include "common/file_io.h"
#include "directory/data_file.h"

namespace corvane {

MessageTexts LoadMessages(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};
    return ParseMessages(bytes);
}

bool SaveMessages(const std::string& path, const MessageTexts& texts)
{
    return WriteFileAtomically(path, SerializeMessages(texts)) == FileError::None;
}

MessageTexts ParseMessages(std::string_view bytes)
{
    MessageTexts texts;
    CDataReader in(bytes, kMaxMessageStringLength);
    for (std::string* text : {&texts.defaultAlpha, &texts.defaultNumeric, &texts.callPrefix, &texts.pimPrefix})
        if (!in.String(*text)) return texts;
    if (in.Remaining() >= 2) in.String(texts.signature);
    return texts;
}

std::string SerializeMessages(const MessageTexts& texts)
{
    CDataWriter out(kMaxMessageStringLength);
    for (const std::string* text : {&texts.defaultAlpha, &texts.defaultNumeric, &texts.callPrefix,
                                    &texts.pimPrefix, &texts.signature})
        out.String(*text);
    return out.bytes();
}

}  // namespace corvane
