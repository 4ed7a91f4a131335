# An update server on 127.0.0.1 for the update checker's tests: argv[1] is the player's own
# version. The first path component names how it answers (a suffix after "-" keeps rows apart
# in the log), the rest is the file asked for ("vistrel/version.plist", "vistrel/log.html").
# GET /log lists every path asked for so far. Prints the port, then serves until killed.
import http.server
import plistlib
import sys
import time

own = sys.argv[1]
seen = []


def plist(value):
    return plistlib.dumps(value)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def answer(self, body, status=200, length=True, kind='application/xml'):
        self.send_response(status)
        self.send_header('Content-Type', kind)
        if length:
            self.send_header('Content-Length', str(len(body)))
        else:
            self.send_header('Connection', 'close')
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == '/log':
            return self.answer('\n'.join(seen).encode(), kind='text/plain')
        seen.append(self.path)
        scenario, _, rest = self.path.strip('/').partition('/')
        kind = scenario.split('-')[0]
        origin = 'http://127.0.0.1:%d/%s' % (self.server.server_address[1], scenario)
        try:
            if rest.endswith('.html'):
                if kind == 'late':
                    time.sleep(1)
                if kind == 'hostile':
                    page = (b'<html><head><link rel="stylesheet" href="file:///etc/passwd"></head><body>'
                            b'<p>Hostile notes</p><img src="/dev/zero"><img src="file:///etc/passwd">'
                            b'<p><a href="file:///etc/passwd">local</a> <a href="https://example.org/x">web</a></p>'
                            b'</body></html>')
                else:
                    page = b'<html><body><p>Notes of %s</p></body></html>' % kind.encode()
                return self.answer(page, kind='text/html; charset=utf-8')
            versions = {
                'equal': own, 'newer': '999.1', 'older': '0.0.1', 'late': '999.1', 'hostile': '999.1',
                'number': 2, 'array': ['999.1'], 'long': '1' * 10000, 'html': '<b>999.1</b>',
            }
            if kind in versions:
                return self.answer(plist({'productVersion': versions[kind]}))
            if kind == 'page':
                return self.answer(plist({'productVersion': '999.1', 'productPageURL': origin + '/product',
                                          'productReleaseNotesURL': origin + '/notes.html'}))
            if kind == 'badaddr':
                return self.answer(plist({'productVersion': '999.1', 'productPageURL': 'file:///etc/passwd',
                                          'productReleaseNotesURL': 'javascript:alert(1)'}))
            if kind == 'nul':
                return self.answer(plist({'productVersion': '999.1'}).replace(b'999.1', b'999\x00.1'))
            if kind == 'rootarray':
                return self.answer(plist(['999.1']))
            if kind == 'notfound':
                return self.answer(plist({'productVersion': '999.1'}), status=404)
            if kind == 'malformed':
                return self.answer(b'<plist><dict><key>productVersion</string></dict></plist>')
            if kind == 'truncated':
                return self.answer(plist({'productVersion': '999.1'})[:-20])
            if kind == 'deep':
                return self.answer(b'<plist>' + b'<array>' * 100000 + b'</array>' * 100000 + b'</plist>')
            if kind == 'badbinary':
                return self.answer(b'bplist00' + bytes(range(256)) * 4)
            if kind == 'huge':
                self.answer(b'', length=False)
                for _ in range(800):
                    self.wfile.write(b'<' * 65536)
                return
            if kind == 'silent':
                return time.sleep(30)
            if kind == 'drip':
                self.answer(b'', length=False)
                for byte in plist({'productVersion': '999.1'}):
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
                    time.sleep(1)
                return
            if kind == 'redirect':
                self.send_response(302)
                self.send_header('Location', 'http://192.0.2.1/vistrel/version.plist')
                self.send_header('Content-Length', '0')
                self.end_headers()
                return
            self.answer(b'no such page', status=404)
        except OSError:
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
