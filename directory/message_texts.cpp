#include "directory/message_texts.h"

#include "common/file_io.h"
#include "directory/data_file.h"

namespace corvane {

MessageTexts LoadMessages(const std::string& path)
{
    MessageTexts texts;
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return texts;
    CDataReader in(bytes);
    for (std::string* text : {&texts.defaultAlpha, &texts.defaultNumeric, &texts.callPrefix, &texts.pimPrefix})
        if (!in.String(*text)) return texts;
    if (in.Remaining() >= 2) in.String(texts.signature);
    return texts;
}

bool SaveMessages(const std::string& path, const MessageTexts& texts)
{
    CDataWriter out;
    for (const std::string* text : {&texts.defaultAlpha, &texts.defaultNumeric, &texts.callPrefix,
                                    &texts.pimPrefix, &texts.signature})
        out.String(*text);
    return WriteFileAtomically(path, out.bytes()) == FileError::None;
}

}  // namespace corvane
