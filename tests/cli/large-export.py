#!/usr/bin/env python3
"""Writes a large bookmark export to standard output, for the figures in
README.md: `html MEGABYTES` makes a Firefox-shaped file whose bulk is
ICON="data:..." attributes, as Firefox writes them; `json ENTRIES` makes a
JSON array as `linkwell-cli list --json` reads it."""
import base64
import random
import sys


def html(megabytes):
    rng = random.Random(1)
    out = sys.stdout
    out.write('<!DOCTYPE NETSCAPE-Bookmark-file-1>\n'
              '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">\n'
              '<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n')
    size, i = 0, 0
    while size < megabytes * 1024 * 1024:
        line = ''
        if i % 500 == 0:
            line += f'    <DT><H3 ADD_DATE="1600000000" LAST_MODIFIED="1600000001">Folder {i}</H3>\n    <DL><p>\n'
        icon = base64.b64encode(rng.randbytes(rng.randint(2000, 9000))).decode()
        line += (f'        <DT><A HREF="https://example{i}.com/page?id={i}" ADD_DATE="1600000000" '
                 f'LAST_MODIFIED="1600000000" ICON_URI="https://example{i}.com/favicon.ico" '
                 f'ICON="data:image/png;base64,{icon}">Stránka číslo {i} &amp; více</A>\n')
        if i % 500 == 499:
            line += '    </DL><p>\n'
        out.write(line)
        size += len(line.encode())
        i += 1
    out.write('    </DL><p>\n</DL>\n')


def json(entries):
    out = sys.stdout
    out.write('[')
    out.write(',\n'.join('{"name":"Ko\u010d %06d","url":"http://e/%06d"}' % (i, i) for i in range(entries)))
    out.write(']\n')


if __name__ == '__main__':
    {'html': html, 'json': json}[sys.argv[1]](int(sys.argv[2]))
