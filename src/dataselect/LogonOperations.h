#pragma once
// The operations behind the login dialog: which connection kind is chosen,
// connecting the system database with the explanation of a failure, the
// login procedure's answer and the operator's part of SysDef; and the
// password confirmation of the companion program kinds 1-3.
//
// The dialog (TLogonBox) owns one TLogonOperations, hands it what the user
// typed and acts on the outcome (modal result, which field gets the focus).
// Every message goes through the message service.

#include <string>

namespace dataselect {

// Where the dialog puts the focus after an attempt.
enum class TLogonFocus { None, Code, Password };

struct TLogonOutcome {
    int modalResult = 0; // 1 logged in, 2 ended by a failure, 0 the dialog stays open
    TLogonFocus focus = TLogonFocus::None;
};

// What the user typed.
struct TLogonInput {
    std::string groupText;
    std::string codeText;
    std::string password;
    bool csChecked = false; // the client/server button
};

class TLogonOperations {
public:
    // 1 changes the stand-alone failure text; 2 puts the first focus on OK.
    int StartMode = 0;
    // A group number is asked as well (connection kind 2 with the group flag).
    bool GroupMode = false;

    // 2 for ConnectMode 2; 0 above 2; else 1 with the client/server button.
    int GetConnectKind(bool csChecked) const;

    // Reconnects the system database for the settings in SysDef. A failure
    // is explained (the cause list of the kind for an unreachable server or
    // missing file) and answers false.
    bool ConnectSystemDatabase(int kind);

    // The login (OK): refusals answer modalResult 0 after their message.
    TLogonOutcome Login(const TLogonInput& input);

    // SysDef.OpName and IsAdmin from OPERATOR (empty name after a failure).
    void ReadOperatorName(int loginCode);
    // SysDef.IsMyNumberAdmin and IsApprover from OPERATOR (false after a failure).
    void ReadOperatorRights(int loginCode);

    // Password confirmation of program kinds 1-3: the stored password of the
    // fixed operator (true when one is stored) and its change.
    bool GetEntryPassword(int opCode, std::string& password);
    bool UpdatePassword(int opCode, const std::string& password);
    TLogonOutcome ConfirmLogin(int fixedCode, const std::string& password);

    // The text of a refusal the procedure answers with a code above 1.
    static std::string RefusalText(int num);

private:
    // Runs the login procedure; false after a failure already shown (the
    // dialog then ends with modal result 2).
    bool RunLogonProcedure(int code, const std::string& password, int appVersion, int& num, int& loginCode,
        int& jobLevel, const char* failureText, const char* context);
};

} // namespace dataselect
