// Recall against the engine: for a word, the tickets that the engine's own
// CONTAINING finds (with a word-boundary check) are exactly the hits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>

#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "tests/find/FindFixture.h"

namespace {

// No word here is another's stem, prefix or inflected form.
const std::vector<std::string> Words = {
    "router",  "battery", "keyboard",  "monitor",  "scanner",   "webcam", "modem",   "firewall", "spreadsheet",
    "driver",  "cable",   "screen",    "virus",    "password",  "update", "network", "laptop",   "mouse",
    "speaker", "toner",   "outlook",   "registry", "partition", "backup", "adapter", "antenna",  "bluetooth",
    "chipset", "desktop", "ethernet",  "fan",      "gateway",   "hub",    "icon",    "joystick", "kernel",
    "license", "macro",   "notebook",  "optical",  "plotter",   "quota",  "raid",    "socket",   "tablet",
    "usb",     "voltage", "wallpaper", "zip",      "yellow"};

std::string Text(std::mt19937& random, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        const std::string& word = Words[random() % Words.size()];
        // Capitals and punctuation around words, and words glued into longer
        // ones that CONTAINING finds but a word search must not.
        switch (random() % 6) {
        case 0:
            text += word;
            text[text.size() - word.size()] = static_cast<char>(std::toupper(word[0]));
            break;
        case 1:
            text += "(" + word + "),";
            break;
        case 2:
            text += "x" + word + "q";
            break;
        default:
            text += word;
        }
        text += " ";
    }
    return text;
}

bool HasWord(const std::string& text, const std::string& word)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1)) {
        const bool startOk = at == 0 || !std::isalnum(static_cast<unsigned char>(lower[at - 1]));
        const size_t end = at + word.size();
        const bool endOk = end == lower.size() || !std::isalnum(static_cast<unsigned char>(lower[end]));
        if (startOk && endOk)
            return true;
    }
    return false;
}

}  // namespace

TEST(FindRecall, EveryTicketTheEngineFindsIsAHitAndNoHitLacksTheWord)
{
    FindDataFile file;
    std::mt19937 random(1225);
    for (int32_t id = 1; id <= 3000; ++id) {
        DBFrameWork::TicketRecord ticket = SampleTicket(id);
        ticket.Problem.Description = Text(random, 5 + static_cast<int>(random() % 40));
        ticket.Problem.Resolution = random() % 2 ? Text(random, 8) : "";
        ticket.Problem.Comment = random() % 3 ? "" : Text(random, 4);
        file.Add(ticket);
    }
    DBFrameWork::FindIndex index(file.Connection(), file.IndexFolder(), "english");
    index.Open();
    ASSERT_TRUE(WaitForIndex(index));

    for (const std::string& word : Words) {
        std::set<int32_t> expected;
        ASSERT_TRUE(DBFrameWork::RunRead(file.Connection(), "recall", [&](IBPP::Statement& statement) {
            statement->Prepare("SELECT ProblemID, COALESCE(Description, '') || ' ' || COALESCE(Resolution, '') || ' ' "
                               "|| COALESCE(Comment, '') FROM Problem WHERE Description CONTAINING ? "
                               "OR Resolution CONTAINING ? OR Comment CONTAINING ?");
            for (int parameter = 1; parameter <= 3; ++parameter)
                statement->Set(parameter, word);
            statement->Execute();
            int32_t id = 0;
            std::string text;
            while (statement->Fetch()) {
                statement->Get(1, id);
                IBPP::Blob blob = file.Connection().GetBlob();
                statement->Get(2, blob);
                blob->Open();
                text.clear();
                char buffer[4096];
                for (int count; (count = blob->Read(buffer, sizeof buffer)) > 0;)
                    text.append(buffer, static_cast<size_t>(count));
                blob->Close();
                if (HasWord(text, word))
                    expected.insert(id);
            }
        }));
        const std::vector<int32_t> keys = Keys(index.Search(word + " ", 10000));
        const std::set<int32_t> found(keys.begin(), keys.end());
        EXPECT_EQ(found.size(), keys.size()) << word << ": a ticket listed twice";
        EXPECT_EQ(found, expected) << word;
        EXPECT_FALSE(expected.empty()) << word;
    }
}
