#pragma once
// Scoped scripted answers for the input dialog service: while a
// ScriptedInput lives, every ShowInputDlg is recorded (as the request stood
// when shown) and answered from the script in order; once the script runs
// out the dialog counts as cancelled. The previous handler comes back when
// it goes out of scope.
//
//   ScriptedInput input({{modal::Ok, "secret"}});
//   EXPECT_TRUE(check());
//   EXPECT_EQ(input.shown()[0].caption, "...");

#include "core/InputDlgService.h"
#include "core/MessageService.h"

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

class ScriptedInput {
public:
    struct Answer {
        int result = modal::Ok;
        std::string text;
    };

    ScriptedInput(std::initializer_list<Answer> answers)
        : script_(answers.begin(), answers.end())
    {
        previous_ = core::setInputDlgHandler([this](TInputDlgRequest& request) {
            shown_.push_back(request);
            if (script_.empty())
                return modal::Cancel;
            const Answer answer = script_.front();
            script_.pop_front();
            if (answer.result == modal::Ok)
                request.text = answer.text;
            return answer.result;
        });
    }
    ~ScriptedInput() { core::setInputDlgHandler(std::move(previous_)); }
    ScriptedInput(const ScriptedInput&) = delete;
    ScriptedInput& operator=(const ScriptedInput&) = delete;

    const std::vector<TInputDlgRequest>& shown() const { return shown_; }
    std::size_t count() const { return shown_.size(); }
    std::size_t pending() const { return script_.size(); }

private:
    std::deque<Answer> script_;
    std::vector<TInputDlgRequest> shown_;
    core::InputDlgHandler previous_;
};
