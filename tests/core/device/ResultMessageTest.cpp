#include "core/device/ResultMessage.h"

#include "core/strings/StringTable.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace orlo {
namespace {

const std::string kContact = "\nお問い合わせ先にご連絡ください。";

std::string FailureHex(const std::string& hex) {
    return "通信が正しく行えませんでした。(コード:" + hex + "h)" + kContact;
}
std::string LinkFault(const std::string& hex) {
    return "通信中に異常が発生しました。(コード:" + hex + "h)" + kContact;
}
std::string DeviceFault(const std::string& hex) {
    return "機器に異常が発生しました。(コード:" + hex + "h)" + kContact;
}

TEST(ResultMessage, FixedTexts) {
    EXPECT_EQ(ResultMessage(RC_TIMEOUT),
              "通信でタイムアウトしました。\nOrloの電源を切って再起動してください。");
    EXPECT_EQ(ResultMessage(RC_RECONNECT_FAILED),
              "Orloに再接続できませんでした。\nOrloを確認の上、接続してください。");
    EXPECT_EQ(ResultMessage(RC_SETTINGS_ABNORMAL),
              "設定値が異常な状態です。\n各設定画面で設定を行ってください。");
    EXPECT_EQ(ResultMessage(RC_SEND_FAILED),
              "Orloと通信することができませんでした。\nOrloを確認してください。");
    EXPECT_EQ(ResultMessage(RC_OPEN_FAILED), "Orloとの接続することができませんでした。");
    EXPECT_EQ(ResultMessage(RC_SETTINGS_FILE), "設定値を読み込むことができませんでした。");
}

TEST(ResultMessage, ACancelSaysSoInEitherLanguage) {
    EXPECT_EQ(ResultMessage(RC_CANCELLED), "中止しました");
    EXPECT_EQ(ApplyResultMessage(RC_CANCELLED), "中止しました");
    SetLanguage(Language::English);
    const std::string english = ResultMessage(RC_CANCELLED);
    SetLanguage(Language::Japanese);
    EXPECT_EQ(english, "Cancelled");
}

TEST(ResultMessage, ProtocolFailuresShowTheCodeInDecimal) {
    EXPECT_EQ(ResultMessage(RC_BAD_HEADER), "通信が正しく行えませんでした。(コード:-100)" + kContact);
    EXPECT_EQ(ResultMessage(RC_SHORT_RESPONSE), "通信が正しく行えませんでした。(コード:-102)" + kContact);
    EXPECT_EQ(ResultMessage(RC_CHECKSUM), "通信が正しく行えませんでした。(コード:-103)" + kContact);
    // -101 has no row of its own: it is judged by its low byte.
    EXPECT_EQ(ResultMessage(-101), FailureHex("65"));
}

TEST(ResultMessage, OtherCodesShowTheLowByteInHex) {
    EXPECT_EQ(ResultMessage(RC_NO_LINK), FailureHex("1"));
    EXPECT_EQ(ResultMessage(RC_SHORT_TRANSFER), FailureHex("2"));
    EXPECT_EQ(ResultMessage(RC_VERIFY_MISMATCH), FailureHex("32"));
    EXPECT_EQ(ResultMessage(-5), FailureHex("5"));
    EXPECT_EQ(ResultMessage(-6), FailureHex("6"));
    EXPECT_EQ(ResultMessage(-17), FailureHex("11"));
    EXPECT_EQ(ResultMessage(2), FailureHex("FE"));
    EXPECT_EQ(ResultMessage(-239), FailureHex("EF"));
    EXPECT_EQ(ResultMessage(-253), FailureHex("FD"));
    EXPECT_EQ(ResultMessage(-255), FailureHex("FF"));
    EXPECT_EQ(ResultMessage(-256), FailureHex("0"));
}

TEST(ResultMessage, LinkFaultStatusesFAtoFC) {
    EXPECT_EQ(ResultMessage(-250), LinkFault("FA"));
    EXPECT_EQ(ResultMessage(-251), LinkFault("FB"));
    EXPECT_EQ(ResultMessage(-252), LinkFault("FC"));
}

TEST(ResultMessage, DeviceFaultStatusesF0toF9) {
    const char* hex[] = {"F0", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9"};
    for (int status = 0xF0; status <= 0xF9; ++status) {
        EXPECT_EQ(ResultMessage(-status), DeviceFault(hex[status - 0xF0])) << "status " << status;
    }
}

TEST(ResultMessage, OnlyTheLowByteDecidesTheClass) {
    EXPECT_EQ(ResultMessage(-0x1FA), LinkFault("FA"));
    EXPECT_EQ(ResultMessage(-0x3F3), DeviceFault("F3"));
    EXPECT_EQ(ResultMessage(-0x150), FailureHex("50"));
    EXPECT_EQ(ResultMessage(INT_MAX), FailureHex("1"));
    EXPECT_EQ(ResultMessage(INT_MIN), FailureHex("0"));
}

TEST(ResultMessage, SuccessIsNoMessage) {
    EXPECT_TRUE(ResultMessage(RC_OK).empty());
    EXPECT_TRUE(ApplyResultMessage(RC_OK).empty());
}

TEST(ApplyResultMessage, VerifyMismatchAsksToApplyAgain) {
    EXPECT_EQ(ApplyResultMessage(RC_VERIFY_MISMATCH),
              "通信が正しく行えませんでした。\n再度設定の反映を行ってください。");
}

TEST(ApplyResultMessage, EveryOtherCodeReadsAsResultMessage) {
    for (ResultCode code : {RC_TIMEOUT, RC_RECONNECT_FAILED, RC_SETTINGS_ABNORMAL, RC_NO_LINK,
                            RC_SHORT_TRANSFER, RC_SETTINGS_FILE, RC_OPEN_FAILED, RC_BAD_HEADER,
                            RC_SHORT_RESPONSE, RC_CHECKSUM, RC_SEND_FAILED, -49, -51, -243, -251, 2}) {
        EXPECT_EQ(ApplyResultMessage(code), ResultMessage(code)) << "code " << code;
    }
}

TEST(ComConnectResultMessage, PortRefusedToTheUserSaysHowToGetAccess) {
    EXPECT_EQ(
        ComConnectResultMessage(RC_OPEN_FAILED, OpenFailure::PermissionDenied),
        "Orloとの接続することができませんでした。\n"
        "シリアルポートを開く権限がありません。\nこのユーザーをdialoutグループに追加し(sudo usermod -aG "
        "dialout ユーザー名)、ログインし直してください。");
    // Any other failure, or a failure after the port opened, reads as ResultMessage.
    for (const OpenFailure failure : {OpenFailure::None, OpenFailure::Other}) {
        EXPECT_EQ(ComConnectResultMessage(RC_OPEN_FAILED, failure), ResultMessage(RC_OPEN_FAILED));
    }
    for (ResultCode code : {RC_TIMEOUT, RC_SEND_FAILED, RC_NO_LINK, -243}) {
        EXPECT_EQ(ComConnectResultMessage(code, OpenFailure::PermissionDenied), ResultMessage(code));
    }
}

} // namespace
} // namespace orlo
