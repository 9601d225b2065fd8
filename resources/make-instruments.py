#!/usr/bin/env python3
"""Writes resources/instruments.ini, the names file the program ships beside itself.

    python3 resources/make-instruments.py

The generated file is checked in, so building never needs this script; run it after changing a
name. Each record is "MSB LSB PROGRAM 0 NAME" with PROGRAM counted from 1, in code page 932 with
CR LF line ends. Every name is written for bank 0/0 and for bank 1/1 (what a track without bank
select messages gets). The file format has no comments: every word in it is part of a record.

The names are the 128 General MIDI level 1 programs in their standard order, as short katakana
forms: the label beside each track is 80 pixels wide.
"""

import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "instruments.ini")

BANKS = [(0, 0), (1, 1)]

# The page's name buffer holds 31 bytes. The label beside a track is 80 pixels wide: six
# full-width characters of its font, or twelve half-width ones.
NAME_BYTES = 31
LABEL_CELLS = 13

NAMES = [
    # Piano
    "ピアノ", "ブライトPf", "エレグランド", "ホンキーPf",
    "エレピ1", "エレピ2", "チェンバロ", "クラビ",
    # Chromatic percussion
    "チェレスタ", "グロッケン", "オルゴール", "ビブラフォン",
    "マリンバ", "シロフォン", "チャイム", "ダルシマー",
    # Organ
    "オルガン", "パーカスOrg", "ロックOrg", "パイプOrg",
    "リードOrg", "アコーデオン", "ハーモニカ", "バンドネオン",
    # Guitar
    "ナイロンGt", "スチールGt", "ジャズGt", "クリーンGt",
    "ミュートGt", "ドライブGt", "ディストGt", "Gt倍音",
    # Bass
    "ウッドベース", "指弾きベース", "ピックベース", "フレットレス",
    "スラップB1", "スラップB2", "シンセB1", "シンセB2",
    # Strings
    "バイオリン", "ビオラ", "チェロ", "コントラバス",
    "トレモロ弦", "ピチカート", "ハープ", "ティンパニ",
    # Ensemble
    "弦楽合奏1", "弦楽合奏2", "シンセ弦1", "シンセ弦2",
    "クワイア", "ボイスウー", "シンセボイス", "オケヒット",
    # Brass
    "トランペット", "トロンボーン", "チューバ", "ミュートTp",
    "ホルン", "ブラス", "シンセブラス1", "シンセブラス2",
    # Reed
    "ソプラノSax", "アルトSax", "テナーSax", "バリトンSax",
    "オーボエ", "E.ホルン", "ファゴット", "クラリネット",
    # Pipe
    "ピッコロ", "フルート", "リコーダー", "パンフルート",
    "ボトル", "尺八", "口笛", "オカリナ",
    # Synth lead
    "スクエア", "ノコギリ波", "カリオペ", "チフ",
    "チャラング", "ボイスリード", "5度リード", "ベース&リード",
    # Synth pad
    "ニューエイジ", "ウォーム", "ポリシンセ", "クワイアPad",
    "ボウPad", "メタルPad", "ハローPad", "スイープPad",
    # Synth effects
    "雨", "サントラ", "クリスタル", "アトモス",
    "ブライトネス", "ゴブリン", "エコー", "SF",
    # Ethnic
    "シタール", "バンジョー", "三味線", "琴",
    "カリンバ", "バグパイプ", "フィドル", "シャナイ",
    # Percussive
    "ティンクル", "アゴゴ", "スチールDr", "木魚",
    "太鼓", "メロディTom", "シンセドラム", "逆シンバル",
    # Sound effects
    "フレット音", "ブレスノイズ", "波の音", "鳥の声",
    "電話のベル", "ヘリコプター", "拍手", "銃声",
]


def encoded_names():
    assert len(NAMES) == 128, len(NAMES)
    assert len(set(NAMES)) == len(NAMES), "names must be unique"
    result = []
    for program, name in enumerate(NAMES, start=1):
        assert name.split() == [name], f"program {program}: {name!r} is not one word"
        data = name.encode("cp932")
        # In code page 932 a character's bytes are its width in half-width cells.
        assert len(data) <= LABEL_CELLS, f"program {program}: {name!r} is too wide to show"
        assert len(data) <= NAME_BYTES, f"program {program}: {name!r} takes {len(data)} bytes"
        result.append(data)
    return result


def main():
    names = encoded_names()
    lines = []
    for msb, lsb in BANKS:
        for program, data in enumerate(names, start=1):
            lines.append(b"%d %d %d 0 %s\r\n" % (msb, lsb, program, data))
    with open(OUT, "wb") as out:
        out.write(b"".join(lines))
    print(f"wrote {OUT}: {len(lines)} records")


if __name__ == "__main__":
    main()
