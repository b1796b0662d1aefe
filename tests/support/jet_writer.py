#!/usr/bin/env python3
"""Writes Access/Jet 4 database files for the tests, after the file format that mdbtools
documents (HACKING.md): 4 KB pages; page 0 the database definition page; table definition
(TDEF) pages; data pages whose rows grow from the end of the page; the MSysObjects catalogue
whose definition is always page 2; page usage maps; Memo values inline, on one LVAL page or
chained over several; Text in UCS-2, compressed where that makes it shorter.

Only what a reader needs is written: no indexes, no properties. mdbtools reads what this
writes (the tests check it with mdb-tables and mdb-export).

Use as a module (JetWriter) or from the command line to write a catalogue-shaped file:
    jet_writer.py OUT.mdb [--titles N]
"""
import argparse
import datetime
import struct
import sys

PAGE = 4096

BOOL, BYTE, INT, LONG, MONEY, FLOAT, DOUBLE, DATETIME, BINARY, TEXT, OLE, MEMO = (
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C)

FIXED_SIZE = {BOOL: 0, BYTE: 1, INT: 2, LONG: 4, MONEY: 8, FLOAT: 4, DOUBLE: 8, DATETIME: 8}

# Page 0 from offset 0x18 to 0xA0: the Jet 4 database definition block as the engine masks it
# (RC4 over 128 bytes) for a database without password and without encryption, followed by
# the version text "4.0". The reader unmasks it to find the version, the code page and a
# database key of zero (pages not encrypted).
HEADER_BLOCK = bytes.fromhex(
    "b56e03626009c255e9a96772403f009c7e9f90ff859a31c579baed30bcdfcc9d"
    "63d9e4c39f46fb8abc4e346cec37efd39cfa74c928e6a1218a60e6037b3647e5"
    "dfb1c56313437d38b13386f6795b20227c2a44d27c99081f98fd52d5b58038c8"
    "82665f95f8d089248567c61f2744d2eecf65edff07c746a178160cede92d62d4"
    "540600003" + "42e3000")

SYSTEM_FLAGS = -0x7FFFFFFE   # 0x80000002 as a signed Long


def ucs2(text):
    return text.encode("utf-16-le")


def compressed(text):
    """The Jet 4 compressed form: 0xFF 0xFE, then runs of one-byte characters (those below
    U+0100) and of two-byte ones, a 0x00 byte switching between them. None when the text
    cannot be compressed (a character whose low byte is 0) or would not get shorter."""
    if any((ord(c) & 0xFF) == 0 or ord(c) > 0xFFFF for c in text):
        return None
    out = bytearray(b"\xff\xfe")
    one_byte = True
    for c in text:
        narrow = ord(c) < 0x100
        if narrow != one_byte:
            out.append(0)
            one_byte = narrow
        out += bytes([ord(c)]) if narrow else ucs2(c)
    return bytes(out) if len(out) < len(ucs2(text)) else None


def text_bytes(text, may_compress=True):
    if may_compress:
        packed = compressed(text)
        if packed is not None:
            return packed
    return ucs2(text)


def jet_date(value):
    """Days since 1899-12-30 as a double (fraction = time of day)."""
    if isinstance(value, datetime.date) and not isinstance(value, datetime.datetime):
        value = datetime.datetime(value.year, value.month, value.day)
    delta = value - datetime.datetime(1899, 12, 30)
    return delta.days + delta.seconds / 86400.0


class Column:
    def __init__(self, name, type_, size=0):
        self.name = name
        self.type = type_
        self.size = size   # Text: characters
        self.fixed = type_ in FIXED_SIZE

    def length(self):
        if self.type == TEXT:
            return self.size * 2
        if self.type in (MEMO, OLE):
            return 0
        if self.type == BOOL:
            return 1
        return FIXED_SIZE[self.type]


class Table:
    def __init__(self, name, columns, system=False):
        self.name = name
        self.columns = columns
        self.rows = []
        self.system = system
        self.tdef_page = None
        var = 0
        fixed = 0
        for c in columns:
            if c.fixed:
                c.fixed_offset = fixed
                c.var_index = 0
                fixed += FIXED_SIZE[c.type]
            else:
                c.fixed_offset = 0
                c.var_index = var
                var += 1
        self.fixed_size = fixed
        self.var_count = var


class JetWriter:
    def __init__(self):
        self.pages = {}          # number -> bytearray
        self.next_page = 0
        self.tables = []
        self.lval_page = None    # the long-value page being filled
        self.catalog = Table("MSysObjects", [
            Column("Id", LONG), Column("ParentId", LONG), Column("Name", TEXT, 128),
            Column("Type", INT), Column("Flags", LONG), Column("LvProp", OLE)], system=True)

    # -- pages -------------------------------------------------------------------------
    def new_page(self):
        number = self.next_page
        self.next_page += 1
        self.pages[number] = bytearray(PAGE)
        return number

    def data_page(self, owner):
        """A data page (type 0x01) owned by the table whose TDEF is page `owner`; owner
        b'LVAL' marks a long-value page."""
        number = self.new_page()
        page = self.pages[number]
        page[0] = 0x01
        page[1] = 0x01
        page[4:8] = owner if isinstance(owner, bytes) else struct.pack("<I", owner)
        self._set_free(page)
        return number

    @staticmethod
    def _rows_on(page):
        return struct.unpack_from("<H", page, 0x0C)[0]

    def _set_free(self, page):
        rows = self._rows_on(page)
        end = struct.unpack_from("<H", page, 0x0E + 2 * (rows - 1))[0] if rows else PAGE
        struct.pack_into("<H", page, 2, end - (0x0E + 2 * rows))

    def room(self, number):
        page = self.pages[number]
        rows = self._rows_on(page)
        end = struct.unpack_from("<H", page, 0x0E + 2 * (rows - 1))[0] if rows else PAGE
        return end - (0x0E + 2 * (rows + 1))

    def put_row(self, number, data):
        """Stores a row on a data page below the rows already there; returns its row number."""
        page = self.pages[number]
        rows = self._rows_on(page)
        end = struct.unpack_from("<H", page, 0x0E + 2 * (rows - 1))[0] if rows else PAGE
        start = end - len(data)
        if start < 0x0E + 2 * (rows + 1) or rows >= 255:
            raise ValueError("row does not fit on the page")
        page[start:end] = data
        struct.pack_into("<H", page, 0x0E + 2 * rows, start)
        struct.pack_into("<H", page, 0x0C, rows + 1)
        self._set_free(page)
        return rows

    # -- values ------------------------------------------------------------------------
    def put_long(self, data):
        """Stores a long-value row on the long-value page being filled (a new one when it has
        no room); returns its data pointer (page << 8 | row)."""
        if self.lval_page is None or self.room(self.lval_page) < len(data) \
                or self._rows_on(self.pages[self.lval_page]) >= 255:
            self.lval_page = self.data_page(b"LVAL")
        return (self.lval_page << 8) | self.put_row(self.lval_page, data)

    def long_value(self, payload):
        """A Memo's 12-byte header and what follows it in the row."""
        if len(payload) <= 256:
            return struct.pack("<III", len(payload) | 0x80000000, 0, 0) + payload
        if len(payload) <= PAGE - 0x0E - 2:
            pointer = self.put_long(payload)
            return struct.pack("<III", len(payload) | 0x40000000, pointer, 0)
        chunk = PAGE - 0x0E - 2 - 4
        pieces = [payload[i:i + chunk] for i in range(0, len(payload), chunk)]
        pointer = 0
        for piece in reversed(pieces):   # the last piece first, so each knows its successor
            pointer = self.put_long(struct.pack("<I", pointer) + piece)
        return struct.pack("<III", len(payload), pointer, 0)

    def encode_row(self, table, values):
        if len(values) != len(table.columns):
            raise ValueError("row of %s has %d values" % (table.name, len(values)))
        count = len(table.columns)
        fixed = bytearray(table.fixed_size)
        variable = []            # bytes per variable column, None for null
        present = []
        for column, value in zip(table.columns, values):
            if column.type == BOOL:
                present.append(bool(value))
                continue
            present.append(value is not None)
            if column.fixed:
                if value is None:
                    continue
                at = column.fixed_offset
                if column.type == BYTE:
                    struct.pack_into("<B", fixed, at, value)
                elif column.type == INT:
                    struct.pack_into("<h", fixed, at, value)
                elif column.type == LONG:
                    struct.pack_into("<i", fixed, at, value)
                elif column.type == MONEY:   # scaled by 10,000
                    struct.pack_into("<q", fixed, at, int(round(value * 10000)))
                elif column.type == FLOAT:
                    struct.pack_into("<f", fixed, at, value)
                elif column.type == DOUBLE:
                    struct.pack_into("<d", fixed, at, value)
                elif column.type == DATETIME:
                    struct.pack_into("<d", fixed, at, jet_date(value))
            elif value is None:
                variable.append(None)
            elif column.type == TEXT:
                if len(value) > column.size:
                    raise ValueError("%s.%s longer than %d" % (table.name, column.name, column.size))
                variable.append(text_bytes(value))
            elif column.type == MEMO:
                variable.append(self.long_value(text_bytes(value) if len(value) <= 1024 else ucs2(value)))
            else:
                variable.append(self.long_value(bytes(value)))
        row = bytearray(struct.pack("<H", count)) + fixed
        offsets = []
        for data in variable:
            offsets.append(len(row))
            if data is not None:
                row += data
        end_of_data = len(row)
        tail = bytearray(struct.pack("<H", end_of_data))
        for offset in reversed(offsets):
            tail += struct.pack("<H", offset)
        tail += struct.pack("<H", len(offsets))
        mask = bytearray((count + 7) // 8)
        for i, on in enumerate(present):
            if on:
                mask[i // 8] |= 1 << (i % 8)
        return bytes(row + tail + mask)

    # -- tables ------------------------------------------------------------------------
    def add_table(self, name, columns):
        table = Table(name, columns)
        self.tables.append(table)
        return table

    def tdef(self, table, used_map, free_map):
        names = bytearray()
        entries = bytearray()
        for number, c in enumerate(table.columns):
            misc = 0x0409 if c.type in (TEXT, MEMO) else 0
            flags = (0x01 if c.fixed else 0) | 0x02
            unicode_flags = 0x01 if c.type in (TEXT, MEMO) else 0
            entries += struct.pack("<BIHHHHHBBIHH", c.type, 0, number, c.var_index, number, misc, 0,
                                   flags, unicode_flags, 0, c.fixed_offset, c.length())
            encoded = ucs2(c.name)
            names += struct.pack("<H", len(encoded)) + encoded
        block = struct.pack("<IIIIB3sI8sBHHHIIII",
                            0, 0, len(table.rows), 0, 0, b"\0\0\0", 0, b"\0" * 8,
                            0x53 if table.system else 0x4E, len(table.columns), table.var_count,
                            len(table.columns), 0, 0, used_map, free_map)
        body = bytearray(block + entries + names + struct.pack("<H", 0xFFFF))
        struct.pack_into("<I", body, 0, len(body))   # tdef_len: the block from offset 8 on
        page = self.pages[table.tdef_page]
        page[0] = 0x02
        page[1] = 0x01
        page[8:8 + len(body)] = body
        if 8 + len(body) > PAGE:
            raise ValueError("definition of %s does not fit one page" % table.name)
        struct.pack_into("<H", page, 2, PAGE - 8 - len(body))
        struct.pack_into("<I", page, 4, 0)

    def place_rows(self, table):
        pages = []
        current = None
        for values in table.rows:
            data = self.encode_row(table, values)
            if current is None or self.room(current) < len(data):
                current = self.data_page(table.tdef_page)
                pages.append(current)
            self.put_row(current, data)
        return pages

    def usage_map(self, pages):
        """A page usage map: type 0 (bitmap in the row, from its first page on) when that is
        small, else type 1 (pointers to usage map pages of type 0x05, each covering the next
        (PAGE - 4) * 8 page numbers)."""
        first = pages[0] if pages else 0
        span = (pages[-1] - first) // 8 + 1 if pages else 0
        if span <= 512:
            bits = bytearray(span)
            for p in pages:
                bits[(p - first) // 8] |= 1 << ((p - first) % 8)
            return struct.pack("<BI", 0, first) + bits
        per_page = (PAGE - 4) * 8
        maps = {}
        for p in pages:
            index = p // per_page
            if index not in maps:
                number = self.new_page()
                self.pages[number][0:4] = b"\x05\x01\x00\x00"
                maps[index] = number
            bit = p % per_page
            self.pages[maps[index]][4 + bit // 8] |= 1 << (bit % 8)
        pointers = [maps.get(i, 0) for i in range(max(maps) + 1)]
        return struct.pack("<B", 1) + b"".join(struct.pack("<I", m) for m in pointers)

    def write(self, path):
        self.new_page()                       # 0: database definition
        map_page = self.data_page(1)          # 1: page usage maps
        catalog_tdef = self.new_page()        # 2: MSysObjects, where every reader starts
        assert catalog_tdef == 2
        self.catalog.tdef_page = catalog_tdef
        for table in self.tables:
            table.tdef_page = self.new_page()
        self.catalog.rows = [[2, 0, "MSysObjects", 1, SYSTEM_FLAGS, None]]
        for table in self.tables:
            self.catalog.rows.append([table.tdef_page, 0, table.name, 1, 0, None])

        owned = {}
        for table in [self.catalog] + self.tables:
            owned[table.name] = self.place_rows(table)

        map_pages = [map_page]

        def put_map(data):
            if self.room(map_pages[-1]) < len(data):
                map_pages.append(self.data_page(1))
            page = map_pages[-1]
            return (page << 8) | self.put_row(page, data)

        for table in [self.catalog] + self.tables:
            used = put_map(self.usage_map(owned[table.name]))
            free = put_map(struct.pack("<BI", 0, 0))
            self.tdef(table, used, free)

        header = self.pages[0]
        header[0:4] = b"\x00\x01\x00\x00"
        header[4:0x14] = b"Standard Jet DB\x00"
        header[0x14:0x18] = struct.pack("<I", 1)   # Jet 4
        header[0x18:0x18 + len(HEADER_BLOCK)] = HEADER_BLOCK
        with open(path, "wb") as out:
            for number in range(self.next_page):
                out.write(self.pages[number])


# -- a catalogue-shaped file ---------------------------------------------------------------

PUBLISHERS = [("001", "高等教育出版社"), ("002", "人民邮电出版社"), ("003", "清华大学出版社"),
              ("004", "机械工业出版社")]
SUBJECTS = ["数据结构", "高等数学", "大学英语", "离散数学", "操作系统", "计算机网络", "线性代数",
            "概率论与数理统计", "大学物理", "软件工程"]
CATEGORIES = [("01", "计算机类"), ("02", "数学类"), ("03", "外语类"), ("04", "物理类")]


def long_text(i, length):
    base = ("第%d章　本书系统介绍%s的基本概念、原理与方法，配有大量例题和习题，"
            "适合高等院校相关专业教学使用。" % (i % 12 + 1, SUBJECTS[i % len(SUBJECTS)]))
    out = ""
    while len(out) < length:
        out += base
    return out[:length]


def catalogue(titles, faulty=False):
    """A small catalogue: publishers, business categories, titles and their long texts.
    Every fifth title has a synopsis over 4 KB; prices are Currency, dates Date/Time and the
    new-title flag Yes/No; one column (bz) is none the program knows. `faulty` adds three
    titles that cannot be taken: a second one with the first one's tm, one without a tm and
    one whose ywbm is wider than the program's four characters."""
    w = JetWriter()
    pub = w.add_table("publishers", [Column("puno", TEXT, 10), Column("puname", TEXT, 60),
                                     Column("xh", LONG)])
    pub.rows = [[no, name, i + 1] for i, (no, name) in enumerate(PUBLISHERS)]
    cat = w.add_table("debook_categories2", [Column("pno", TEXT, 10), Column("cno2", TEXT, 10),
                                             Column("category2", TEXT, 30), Column("xh", INT)])
    cat.rows = [[p[0], c[0], c[1], j + 1] for p in PUBLISHERS for j, c in enumerate(CATEGORIES)]
    books = w.add_table("debooks", [
        Column("tm", TEXT, 20), Column("zbh", TEXT, 20), Column("isbn", TEXT, 30),
        Column("sm", TEXT, 255), Column("zz", TEXT, 40), Column("cbbm", TEXT, 10),
        Column("cbmc", TEXT, 60), Column("ywbm", TEXT, 10), Column("ywbc", TEXT, 30),
        Column("ztmc", TEXT, 50), Column("dj", MONEY), Column("cbrq", DATETIME),
        Column("sfxs", BOOL), Column("ys", LONG), Column("qzs", INT), Column("dwyz", DOUBLE),
        Column("kz11", TEXT, 20), Column("jj", MEMO), Column("bz", TEXT, 50)])
    texts = w.add_table("detsnrty", [Column("tm", TEXT, 20), Column("nrty", MEMO),
                                     Column("zjml", MEMO)])
    for i in range(titles):
        pno, pname = PUBLISHERS[i % len(PUBLISHERS)]
        cno, cname = CATEGORIES[i % len(CATEGORIES)]
        subject = SUBJECTS[i % len(SUBJECTS)]
        tm = "978704%07d" % i
        books.rows.append([
            tm, "%05d" % (i + 1), "978-7-04-%06d-%d" % (i, i % 10),
            "%s（第%d版）" % (subject, i % 5 + 1), "张%s" % "伟芳娜敏静丽强磊军洋"[i % 10],
            pno, pname, cno, cname, subject,
            round(19.8 + (i % 50) * 1.35, 2), datetime.date(2020 + i % 6, i % 12 + 1, i % 28 + 1),
            i % 3 == 0, 200 + i % 400, 300 + i % 200, 10.5 + (i % 8) * 0.25,
            "十一五" if i % 4 == 0 else None,
            long_text(i, 4200) if i % 5 == 0 else (long_text(i, 120) if i % 5 == 1 else None),
            "Note %d" % i if i % 2 else None])
        texts.rows.append([tm, long_text(i + 1, 2500 if i % 2 else 600),
                           "目录\r\n" + long_text(i + 2, 80)])
    if faulty:
        for tm, ywbm in (("9787040000000", "01"), (None, "01"), ("9787049999999", "01234")):
            row = list(books.rows[0])
            row[0] = tm
            row[7] = ywbm
            books.rows.append(row)
    return w


def main():
    parser = argparse.ArgumentParser(description="Writes a catalogue-shaped Jet 4 file.")
    parser.add_argument("out")
    parser.add_argument("--titles", type=int, default=12)
    parser.add_argument("--faulty", action="store_true", help="add three titles that cannot be taken")
    args = parser.parse_args()
    catalogue(args.titles, args.faulty).write(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
