// Resource and control ids of Ardentis.exe, shared by the .rc and the C++ windows.
// Plain #defines only: windres reads this file too.
#pragma once
// NOLINTBEGIN(modernize-macro-to-enum): windres knows no enums

// Application icon, pictures.
#define IDI_ARDENTIS 1
#define IDB_BANNER 10
#define IDB_ROOMBANNER 11
#define IDB_SPLASH 12
#define IDB_MINIMAP 13

// Dialogs. A tab page is a child dialog of its own.
#define IDD_MAIN 100
#define IDD_MAIN_CHAT 110
#define IDD_LOGIN 200
#define IDD_BATTLEROOM 300
#define IDD_ROOM_BASIC 310
#define IDD_ROOM_OPTIONS 320
#define IDD_ROOM_MANAGE 330
#define IDD_OPTIONS 400
#define IDD_OPT_ACCOUNT 410
#define IDD_OPT_LOGIN 420
#define IDD_OPT_NETWORK 430
#define IDD_OPT_GAME 440
#define IDD_OPT_VNN 450
#define IDD_SPLASH 500

// Lobby window (TFormMain).
#define IDC_MAIN_BANNER 1001
#define IDC_MAIN_LVER 1002
#define IDC_MAIN_PROMPT 1003
#define IDC_MAIN_BITBTN1 1004
#define IDC_MAIN_BITBTN2 1005
#define IDC_MAIN_BITBTN3 1006
#define IDC_MAIN_BITBTN4 1007
#define IDC_MAIN_LVLOBBY 1008
#define IDC_MAIN_LVROOMS 1009
#define IDC_MAIN_PAGECONTROL2 1010
#define IDC_MAIN_MEMRECEV 1011
#define IDC_MAIN_MEMSEND 1012
#define IDC_MAIN_VNNSTATUS 1013

// Log-in window (TFormLogin).
#define IDC_LOGIN_LABEL1 1101
#define IDC_LOGIN_USR 1102
#define IDC_LOGIN_LABEL2 1103
#define IDC_LOGIN_PWD 1104
#define IDC_LOGIN_BITBTN1 1105
#define IDC_LOGIN_BITBTN2 1106

// Battle room window (TFormBattleroom). A radio group's items follow its group box's id.
#define IDC_ROOM_BANNER 1201
#define IDC_ROOM_MAPLIST 1202
#define IDC_ROOM_MINIMAP 1203
#define IDC_ROOM_LVROOM 1204
#define IDC_ROOM_PAGEOPTIONS 1205
#define IDC_ROOM_MEMRECEV 1206
#define IDC_ROOM_MEMSEND 1207
#define IDC_ROOM_BITBTN1 1208
#define IDC_ROOM_BITBTN2 1209
#define IDC_ROOM_CHECKBOX1 1210
#define IDC_ROOM_BITBTN3 1211
#define IDC_ROOM_PROMPT 1212
#define IDC_ROOM_BUTTON1 1213
// Page 基本设置.
#define IDC_ROOM_MODS_GROUP 1220
#define IDC_ROOM_MODS 1221
#define IDC_ROOM_PLAYERS_GROUP 1222
#define IDC_ROOM_TRACKPLAYERS 1223
#define IDC_ROOM_LPLAYERS 1224
#define IDC_ROOM_LIMIT_GROUP 1225
#define IDC_ROOM_TRACKULIMITED 1226
#define IDC_ROOM_LLIMITED 1227
#define IDC_ROOM_PWD_LABEL 1228
#define IDC_ROOM_PWD 1229
#define IDC_ROOM_COMMENTS_GROUP 1230
#define IDC_ROOM_GAMECOMMENTS 1231
// Page 选项.
#define IDC_ROOM_RGCOMMANDER 1240
#define IDC_ROOM_RGLOS 1245
#define IDC_ROOM_RGCHEAT 1250
#define IDC_ROOM_RGMAPMODE 1255
#define IDC_ROOM_RGWATCH 1260
#define IDC_ROOM_RGPOS 1265
#define IDC_ROOM_RESOURCES_GROUP 1270
#define IDC_ROOM_METAL_LABEL 1271
#define IDC_ROOM_TRACKMETAL 1272
#define IDC_ROOM_LMETAL 1273
#define IDC_ROOM_ENERGY_LABEL 1274
#define IDC_ROOM_TRACKENERGY 1275
#define IDC_ROOM_LENERGY 1276
// Page 房间管理.
#define IDC_ROOM_BITBTN4 1280

// Options window (TFormOptions).
#define IDC_OPT_PAGECONTROL1 1401
#define IDC_OPT_BITBTN1 1402
#define IDC_OPT_BITBTN2 1403
// Page 帐号 (TabSheet2).
#define IDC_OPT_LABEL5 1410
#define IDC_OPT_PWD1 1411
#define IDC_OPT_LABEL4 1412
#define IDC_OPT_PWD2 1413
#define IDC_OPT_LABEL6 1414
#define IDC_OPT_PWD3 1415
#define IDC_OPT_LABEL7 1416
#define IDC_OPT_NICK 1417
// Page 登录 (TabSheet1).
#define IDC_OPT_STATICTEXT1 1420
#define IDC_OPT_USR 1421
#define IDC_OPT_STATICTEXT2 1422
#define IDC_OPT_PWD 1423
#define IDC_OPT_CBAUTO 1424
// Page 网络 (TabSheet3).
#define IDC_OPT_LABEL1 1430
#define IDC_OPT_HOST 1431
#define IDC_OPT_LABEL3 1432
#define IDC_OPT_PORT 1433
#define IDC_OPT_BITBTN4 1434
#define IDC_OPT_TLS 1435
#define IDC_OPT_LABEL9 1436
#define IDC_OPT_TLSPORT 1437
// Page 游戏 (TabSheet4).
#define IDC_OPT_LABEL2 1440
#define IDC_OPT_TADIR 1441
#define IDC_OPT_BITBTN3 1442
#define IDC_OPT_LABEL8 1443
#define IDC_OPT_SPCDIR 1444
#define IDC_OPT_BITBTNSPCDIR 1445
#define IDC_OPT_CHECKFILE 1446
// Page 虚拟网络 (TabSheet5).
#define IDC_OPT_MEMO1 1450
#define IDC_OPT_RGVNNTYPE 1451  // its items follow it, one id each
#define IDC_OPT_LABEL10 1460
#define IDC_OPT_VNNADDR 1461
#define IDC_OPT_VNNDETECT 1462
#define IDC_OPT_VNNFOUND 1463
#define IDC_OPT_ADAPTERS 1464

// Splash window (TFormslpash).
#define IDC_SPLASH_IMAGE1 1501
// NOLINTEND(modernize-macro-to-enum)
