// libFuzzer target of the Meal-Master reading: code-page detection, line splitting and the
// reader with the text replacement, on any bytes. It must not crash, hang or grow without
// bound, and the replacement must never make a text longer.

#include "exchange/mealmaster.h"
#include "platform/textreplace/replacer.h"
#include "platform/textreplace/textfile.h"

#include <cstdint>
#include <cstdlib>

namespace {

class Host : public kv::exchange::MmHost {
public:
    QString repstr(const QString& text) override
    {
        QString buffer = text.left(text.indexOf(QChar(0)));
        const qsizetype before = buffer.size();
        kv::text::DoSimpleReplace(buffer);
        if (buffer.size() > before) std::abort();
        return buffer;
    }
    bool cancelled() override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int loaded = kv::text::InitReplacer(QStringLiteral(KELVOR_DATA_DIR "/ExclList.txt"),
                                                     QStringLiteral(KELVOR_DATA_DIR "/RepList.txt"));
    (void)loaded;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kv::exchange::TextLineSource lines(bytes, kv::text::detectEncoding(bytes));
    Host host;
    kv::exchange::MealMasterReader reader(lines, host);
    while (const std::optional<kv::exchange::MmRecipe> recipe = reader.next()) {
        if (recipe->complete && recipe->parts.empty()) std::abort();
        for (const kv::exchange::MmError& error : recipe->errors)
            if (error.rawLength > recipe->rawText.size()) std::abort();
    }
    return 0;
}
