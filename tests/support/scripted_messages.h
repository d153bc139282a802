#pragma once
// Scoped scripted answers for the message service: while a ScriptedMessages
// lives, every ShowMessage2 is recorded and answered from the script (in
// order), or with the default button once the script runs out. The previous
// handler comes back when it goes out of scope.
//
//   ScriptedMessages messages({modal::Yes});
//   runOperation();
//   ASSERT_EQ(messages.shown().size(), 1u);
//   EXPECT_EQ(messages.shown()[0].lines[0].text, "...");

#include "core/MessageService.h"

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

class ScriptedMessages {
public:
    // One answer: the modal result and, optionally, the agree tick to write
    // back into the record.
    struct Answer {
        int result = modal::Ok;
        int agreeChecked = -1; // -1 leaves the record's tick as it is
    };

    ScriptedMessages() { install(); }
    ScriptedMessages(std::initializer_list<int> results)
    {
        for (int r : results) {
            script_.push_back(Answer {r, -1});
        }
        install();
    }
    explicit ScriptedMessages(std::vector<Answer> answers)
        : script_(answers.begin(), answers.end())
    {
        install();
    }
    ~ScriptedMessages() { core::setMessageHandler(std::move(previous_)); }

    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    void push(int result) { script_.push_back(Answer {result, -1}); }
    void push(Answer answer) { script_.push_back(answer); }

    // Every record shown so far, as it was handed to the service.
    const std::vector<TMessage2InfoRec>& shown() const { return shown_; }
    std::size_t count() const { return shown_.size(); }
    // Line 1 of the n-th message (0-based), a quick check in most tests.
    std::string firstLine(std::size_t n) const { return shown_.at(n).lines[0].text; }
    // Answers left unused (a test may expect them all consumed).
    std::size_t pending() const { return script_.size(); }
    void clear() { shown_.clear(); }

private:
    void install()
    {
        previous_ = core::setMessageHandler([this](TMessage2InfoRec& rec) {
            shown_.push_back(rec);
            if (script_.empty()) {
                return core::defaultMessageResult(rec.buttons);
            }
            const Answer answer = script_.front();
            script_.pop_front();
            if (answer.agreeChecked >= 0) {
                rec.agreeChecked = answer.agreeChecked != 0;
            }
            return answer.result;
        });
    }

    std::deque<Answer> script_;
    std::vector<TMessage2InfoRec> shown_;
    core::MessageHandler previous_;
};
