#include "core/strings/StringTable.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace orlo {
namespace {

// Keep the entries in ascending id order: the lookup is a binary search.
// clang-format off
constexpr StringEntry kEntries[] = {
    {1000, "japanese", "english"},
    {1100, "Orloとの接続することができませんでした。", "Could not connect to the Orlo."},
    {1101, "検出結果を取得することができなくなりました。\nOrloの電源を切って再起動してください。", "Detection results can no longer be received.\nSwitch the Orlo off and on again."},
    {1102, "Orloに再接続できませんでした。\nOrloを確認の上、接続してください。", "Could not reconnect to the Orlo.\nCheck the Orlo, then connect."},
    {1103, "通信が正しく行えませんでした。\n再度設定の反映を行ってください。", "The communication did not complete correctly.\nApply the settings again."},
    {1104, "通信でタイムアウトしました。\nOrloの電源を切って再起動してください。", "The communication timed out.\nSwitch the Orlo off and on again."},
    {1105, "通信中に異常が発生しました。(コード:%Xh)\nお問い合わせ先にご連絡ください。", "An error occurred during communication. (code: %Xh)\nPlease contact your support."},
    {1106, "機器に異常が発生しました。(コード:%Xh)\nお問い合わせ先にご連絡ください。", "The device reported an error. (code: %Xh)\nPlease contact your support."},
    {1107, "設定値の保存が正しく行えませんでした。\n再度、設定値の保存を実行してください。", "The settings could not be saved correctly.\nSave the settings again."},
    {1108, "設定値を読み込むことができませんでした。", "The settings could not be read."},
    {1109, "通信が正しく行えませんでした。(コード:%Xh)\nお問い合わせ先にご連絡ください。", "The communication did not complete correctly. (code: %Xh)\nPlease contact your support."},
    {1110, "通信が正しく行えませんでした。(コード:%d)\nお問い合わせ先にご連絡ください。", "The communication did not complete correctly. (code: %d)\nPlease contact your support."},
    {1111, "サイズマスクの値が条件を満たしていません。\n最大値は最小値以上になるように設定してください。", "The size mask values are not valid.\nThe maximum must not be smaller than the minimum."},
    {1112, "Orloと通信することができませんでした。\nOrloを確認してください。", "Could not communicate with the Orlo.\nCheck the Orlo."},
    {1113, "設定値が異常な状態です。\n各設定画面で設定を行ってください。", "The settings are in an abnormal state.\nSet them again on each settings page."},
    {1120, "設定値がOrloに反映されていません。\nこの画面から離れてよろしいですか?", "The settings have not been applied to the Orlo.\nLeave this page anyway?"},
    {1123, "Orloを再起動します。\n再起動してよろしいですか?", "The Orlo will restart.\nRestart now?"},
    {1124, "Orloを再起動した後、初期化を行います。\n初期化してよろしいですか?", "The Orlo will restart and then reset its settings.\nReset now?"},
    {1125, "読み込んだ設定値をOrloに反映します。\n設定値を読み込んでよろしいですか?", "The settings read from the file will be written to the Orlo.\nWrite the settings now?"},
    {1126, "Orloに反映していない誤検出矩形があります。\nこのまま更新を行うと反映していない誤検出矩形は削除されます。\n更新してよろしいですか?", "Some false-detection rectangles have not been applied to the Orlo.\nUpdating now deletes the rectangles not applied.\nUpdate anyway?"},
    {1127, "Orloに反映していない誤検出矩形があります。\n誤検出矩形登録画面の表示を行うと反映していない誤検出矩形は削除されます。\n誤検出矩形登録画面を表示してよろしいですか?", "Some false-detection rectangles have not been applied to the Orlo.\nOpening the false-detection registration deletes the rectangles not applied.\nOpen it anyway?"},
    {1128, "選択した誤検出矩形を登録から削除します。\n削除してよろしいですか?", "The selected false-detection rectangle will be removed from the registration.\nRemove it?"},
    {1129, "No.%dのエリアを削除します。\n削除してよろしいですか?", "Area No.%d will be deleted.\nDelete it?"},
    {1130, "すべてのエリアを削除します。\n削除してよろしいですか?", "All areas will be deleted.\nDelete them?"},
    {1131, "Orloの復旧を行います。\nよろしいですか?", "The Orlo will be recovered.\nContinue?"},
    {1140, "カメラ取付方向が変更されています。\nマスクエリア設定、誤検出矩形登録、検出領域設定を再度行ってください。", "The camera mounting direction has changed.\nSet the area masks, false-detection rectangles and detection areas again."},
    {1141, "誤検出矩形が最大まで登録されています。\n不要な矩形を削除して再度登録してください。", "The maximum number of false-detection rectangles is registered.\nRemove rectangles you do not need, then register again."},
    {3100, "取得画像", "Picture"},
    {3101, "画像更新", "Picture update"},
    {3102, "差分表示", "Difference display"},
    {3103, "検出領域表示", "Detection area display"},
    {3110, "解像度", "Resolution"},
    {3111, "更新間隔(ms)", "Update interval (ms)"},
    {3113, "動体検出(近距離)", "Short-range motion"},
    {3115, "動体検出(近距離)", "Short-range motion"},
    {3120, "人体検出", "Human detection"},
    {3121, "動体検出(近距離)", "Short-range motion"},
    {3150, "表示", "Show"},
    {3151, "非表示", "Hide"},
    {3160, "色", "Colour"},
    {3200, "USB使用時のタイムアウト時間(ms)", "USB time-outs (ms)"},
    {3300, "送信", "Send"},
    {3301, "受信", "Receive"},
    {3503, "重なり %d%%", "Overlap %d%%"},
    {3700, "人体検出領域", "Human detection area"},
    {3701, "動体検知領域(近距離)", "Short-range motion area"},
    {5000, "Settings File (*.ini)|*.ini|", "Settings File (*.ini)|*.ini|"},
    {5010, "COM%d", "COM%d"},
    {5020, "L:%d, T:%d, R:%d, B:%d", "L:%d, T:%d, R:%d, B:%d"},
    {5030, "%d°", "%d°"},
    {5100, "%s %d.%d.%d.%d  COM%d:%d", "%s %d.%d.%d.%d  COM%d:%d"},
    {5101, "%s %d.%d.%d.%d  %s:%d", "%s %d.%d.%d.%d  %s:%d"},
    // Our own texts, 9000 up.
    {9000, "ICMPの送信が許可されていないため、IPアドレスを検索できません。\nシステムの設定(net.ipv4.ping_group_range)でこのユーザーのグループに許可してください。", "Sending ICMP is not permitted, so IP addresses cannot be searched.\nAllow it for this user's group in the system settings (net.ipv4.ping_group_range)."},
    {9001, "ICMPの送信が許可されていないため、IPアドレスを検索できません。\nこのプログラムにCAP_NET_RAWの権限を与えてください。", "Sending ICMP is not permitted, so IP addresses cannot be searched.\nGive this program the CAP_NET_RAW capability."},
    {9002, "ICMPを送信できないため、IPアドレスを検索できません。", "ICMP cannot be sent, so IP addresses cannot be searched."},
    {9010, "処理を開始できませんでした。\nもう一度操作してください。", "The operation could not be started.\nPlease try again."},
    {9020, "Orlo-X1", "Orlo-X1"},
    {9030, "中止しました", "Cancelled"},
    {9031, "中止", "Cancel"},
    {9032, "%d 秒 / %d 秒", "%d s / %d s"},
    {9033, "書き込んだ設定: %s\n書き込んでいない設定: %s", "Written: %s\nNot written: %s"},
    {9034, "Orloには何も書き込んでいません。", "Nothing was written to the Orlo."},
    {9035, "すべての設定を書き込みました: %s", "Every setting was written: %s"},
    // IP search: what each answering address is.
    {9060, "センサー情報を表示", "Show sensor details"},
    {9061, "IPアドレス", "IP address"},
    {9062, "機種", "Model"},
    {9063, "バージョン", "Version"},
    {9064, "情報テキスト", "Information text"},
    {9065, "確認中…", "Checking…"},
    {9066, "センサーではありません", "Not a sensor"},
    {9067, "応答がありません", "No answer"},
    {9068, "他の接続で使用中です", "In use by another connection"},
    {9140, "左", "Left"},
    {9141, "上", "Top"},
    {9142, "右", "Right"},
    {9143, "下", "Bottom"},
    {9144, "元に戻す", "Undo"},
    {9145, "やり直し", "Redo"},
    {9146, "番号", "No."},
    {9147, "判定", "Judgement"},
    {9148, "ドラッグ:描画・移動  四隅と辺:サイズ変更  Delete:削除  矢印:移動(Shift:10倍)  Alt+矢印:サイズ  Tab:次の領域", "Drag: draw, move  Handles: resize  Delete: remove  Arrows: move (Shift: x10)  Alt+arrows: size  Tab: next"},
    {9149, "一覧で選択  ドラッグ:移動  四隅と辺:サイズ変更  矢印:移動(Shift:10倍)  Alt+矢印:サイズ  Tab:次の領域", "Pick in the list  Drag: move  Handles: resize  Arrows: move (Shift: x10)  Alt+arrows: size  Tab: next"},
    {9400, "このIPアドレスの範囲は検索できません。\n0.x.x.x と 224.x.x.x～255.x.x.x は機器に割り当てられないアドレスです。\nIPアドレスを確認してください。", "This IP address range cannot be searched.\nAddresses 0.x.x.x and 224.x.x.x to 255.x.x.x are never assigned to a device.\nPlease check the IP address."},
    {9420, "画角(接続時に選んだ値。センサーには送られません)", "Angle of view (chosen when connecting; not sent to the sensor)"},
    // File dialog filters: "text|pattern|" pairs.
    {9440, "設定ファイル (*.ini)|*.ini|", "Settings File (*.ini)|*.ini|"},
    // Commissioning report.
    {9600, "Orlo 設置報告書", "Orlo commissioning report"},
    {9601, "作成日時", "Created"},
    {9602, "接続", "Connection"},
    {9603, "機種", "Model"},
    {9604, "バージョン", "Version"},
    {9605, "画像", "Picture"},
    {9606, "設定値", "Settings"},
    {9607, "項目", "Item"},
    {9608, "値", "Value"},
    {9609, "単位", "Unit"},
    {9610, "内容", "Meaning"},
    {9611, "未設定", "Not set"},
    {9612, "人体検出領域", "Human detection area"},
    {9613, "動体検知領域(近距離)", "Motion detection area (short range)"},
    {9614, "エリアマスク", "Area masks"},
    {9615, "動体マスク", "Motion masks"},
    {9616, "誤検出矩形", "False-detection rectangles"},
    {9617, "検出結果", "Detections"},
    {9618, "判定", "Judgement"},
    {9619, "中心点", "Centre point"},
    {9620, "足元点", "Foot point"},
    {9621, "重なり %d%%", "Overlap %d%%"},
    {9622, "なし", "None"},
    {9623, "除外なし", "Not excluded"},
    {9624, "エリアマスクで除外", "Excluded by area mask"},
    {9625, "サイズマスクで除外", "Excluded by size mask"},
    {9626, "誤検出として除外", "Excluded as false detection"},
    {9627, "センサー座標", "Sensor coordinates"},
    {9628, "ミリ秒", "ms"},
    {9629, "度", "degrees"},
    {9630, "取付方向", "Mounting direction"},
    {9631, "動作モード", "Operating mode"},
    {9632, "検出しきい値", "Detection threshold"},
    {9633, "サイズマスク最小", "Size mask minimum"},
    {9634, "サイズマスク最大", "Size mask maximum"},
    {9635, "USB送信タイムアウト", "USB send time-out"},
    {9636, "USB受信タイムアウト", "USB receive time-out"},
    {9637, "情報テキスト", "Information text"},
    {9638, "補助設定値", "Auxiliary value"},
    {9640, "左", "left"},
    {9641, "上", "top"},
    {9642, "右", "right"},
    {9643, "下", "bottom"},
    {9644, "番号", "No."},
    {9645, "検出値", "Value"},
    {9646, "※誤検出矩形は設定ファイルに保存されないため、ここに記載します。", "Note: false-detection rectangles are not stored in the settings file, so they are listed here."},
    {9647, "カメラ", "Camera"},
    {9648, "検出", "Detection"},
    {9649, "システム", "System"},
    {9650, "その他", "Other"},
    {9651, "色", "Colour"},
    {9652, "状態", "State"},
    {9653, "設定ファイル(バックアップ)の全項目です。", "Every item of the settings file (backup)."},
    {9654, "不明な向き", "unknown direction"},
    {9660, "設置報告書", "Commissioning report"},
    {9661, "現在の設定と画像を報告書(HTML/PDF)として保存する。", "Save the current settings and picture as a report (HTML/PDF)."},
    {9662, "報告書", "Report"},
    {9663, "報告書 HTML (*.html)|*.html|報告書 PDF (*.pdf)|*.pdf|", "Report HTML (*.html)|*.html|Report PDF (*.pdf)|*.pdf|"},
    {9664, "報告書を保存できませんでした。", "The report could not be saved."},
    // Captions of the pages and dialogs.
    {9700, "しばらくお待ちください。", "Please wait."},
    {9701, "接続", "Connect"},
    {9702, "画像：", "Picture:"},
    {9703, "差分画像：", "Difference:"},
    {9704, "除外検出結果の表示", "Show excluded detections"},
    {9705, "すべて", "All"},
    {9706, "エリアマスク", "Area mask"},
    {9707, "サイズマスク", "Size mask"},
    {9708, "誤検出", "False det."},
    {9709, "カメラ", "Camera"},
    {9710, "検出", "Detection"},
    {9711, "システム", "System"},
    {9712, "設定", "Settings"},
    {9713, "戻る", "Back"},
    {9714, "COM(&C)...", "&COM..."},
    {9715, "LAN(&L)...", "&LAN..."},
    {9716, "COMポート：", "COM port:"},
    {9717, "ボーレート：", "Baud rate:"},
    {9718, "画角：", "Angle of view:"},
    {9719, "キャンセル", "Cancel"},
    {9720, "COM接続", "COM connection"},
    {9721, "IPアドレス：", "IP address:"},
    {9722, "ポート番号：", "Port:"},
    {9723, "検索", "Search"},
    {9724, "LAN接続", "LAN connection"},
    {9725, "ポート番号は1～65535の範囲で入力してください。", "Enter a port number from 1 to 65535."},
    {9726, "～", "to"},
    {9727, "IPアドレス検索", "IP address search"},
    {9728, "反映", "Apply"},
    {9729, "検出しきい値：", "Threshold:"},
    {9730, "サイズ：", "Size:"},
    {9731, "サイズ設定", "Size"},
    {9732, "エリア設定", "Area masks"},
    {9733, "矩形登録", "Register"},
    {9734, "領域設定", "Detection areas"},
    {9735, "マスク設定", "Motion masks"},
    {9736, "検出領域", "Detection areas"},
    {9737, "動体検出マスク", "Motion masks"},
    {9738, "OK", "OK"},
    {9739, "タイムアウト値設定", "Time-out settings"},
    {9740, "その他", "Other..."},
    {9741, "カメラ取付方向", "Mounting direction"},
    {9742, "動作モード", "Operating mode"},
    {9743, "0度", "0°"},
    {9744, "90度", "90°"},
    {9745, "180度", "180°"},
    {9746, "270度", "270°"},
    {9747, "Orloの再起動", "Restart the Orlo"},
    {9748, "設定値の初期化", "Factory settings"},
    {9749, "通信タイムアウト", "Communication time-outs"},
    {9750, "設定値の保存/反映", "Save / write settings"},
    {9751, "現在の設定をPCへ保存する。", "Save the current settings on this PC."},
    {9752, "※誤検出矩形は保存されません。", "* False-detection rectangles are not saved."},
    {9753, "接続中のOrloに設定を反映する。", "Write settings to the connected Orlo."},
    {9754, "※誤検出矩形は反映されません。", "* False-detection rectangles are not written."},
    {9755, "Orloの復旧", "Recover the Orlo"},
    {9756, "再起動", "Restart"},
    {9757, "初期化", "Initialise"},
    {9758, "タイムアウト", "Time-outs"},
    {9759, "保存", "Save"},
    {9760, "反映", "Write"},
    {9761, "復旧", "Recover"},
    {9762, "登録 >>", "Register >>"},
    {9763, "<< 削除", "<< Remove"},
    {9764, "誤検出矩形登録", "False-detection registration"},
    {9765, "エリア設定", "Area masks"},
    {9766, "エリア設定", "Motion masks"},
    {9767, "一括削除", "Delete all"},
    {9768, "中心点", "Centre"},
    {9769, "足元点", "Feet"},
    {9770, "重なり", "Overlap"},
    {9771, "判定設定", "Judgement"},
    {9772, "一括設定", "Judge all"},
    {9773, "検出領域設定", "Detection areas"},
    {9774, "サイズマスク設定", "Size mask"},
    {9775, "はい", "Yes"},
    {9776, "いいえ", "No"},
    // Automatic reconnection.
    {9780, "接続が切れたときに自動で再接続する", "Reconnect automatically when the link is lost"},
    {9781, "Orloとの接続が切れました。再接続しています…", "The link to the Orlo was lost. Reconnecting…"},
    // Writing a settings file from the system page.
    {9800, "設定ファイルの%d行目の %s=%s は、Orloが受け付けない値です（%s）。\n何も書き込んでいません。ファイルを直してから反映してください。", "Line %d of the settings file: %s=%s is a value the Orlo does not take (%s).\nNothing was written. Correct the file and write it again."},
    {9801, "この設定ファイルにはBOMがないためCP932(Shift_JIS)として読みますが、内容はUTF-8のようです。\n機器情報「%s」は、Orloには別の文字として書き込まれます。\n正しく書き込むには、ファイルをBOM付きUTF-8かCP932で保存し直してください。\nこのまま反映しますか？", "This settings file has no byte-order mark, so it is read as CP932 (Shift_JIS), but it looks like UTF-8.\nIts device information \"%s\" would reach the Orlo as different characters.\nTo write it correctly, save the file again as UTF-8 with a byte-order mark or as CP932.\nWrite it as it is?"},
    {9802, "Orloにはファイルの設定の一部だけが書き込まれています。\n書き込み済み: %s\n未書き込み: %s\nもう一度ファイルを反映すると、書き込みが完了します。", "The Orlo holds only part of the file's settings.\nWritten: %s\nNot written: %s\nWrite the file again to complete it."},
    // Serial port permissions.
    {9900, "シリアルポートを開く権限がありません。\nこのユーザーをdialoutグループに追加し(sudo usermod -aG dialout ユーザー名)、ログインし直してください。", "You do not have permission to open the serial port.\nAdd this user to the dialout group (sudo usermod -aG dialout USERNAME) and log in again."},
};
// clang-format on

// Read by worker threads as well (result messages).
std::atomic<Language> currentLanguage{Language::Japanese};

} // namespace

std::span<const StringEntry> StringTableEntries() {
    return kEntries;
}

void SetLanguage(Language language) {
    currentLanguage.store(language);
}

Language CurrentLanguage() {
    return currentLanguage.load();
}

std::string_view LoadString(int id) {
    return LoadString(id, CurrentLanguage());
}

std::string_view LoadString(int id, Language language) {
    const auto* it = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                                      [](const StringEntry& entry, int key) { return entry.id < key; });
    if (it == std::end(kEntries) || it->id != id) {
        return {};
    }
    if (language == Language::English && !it->english.empty()) {
        return it->english;
    }
    return it->text;
}

} // namespace orlo
