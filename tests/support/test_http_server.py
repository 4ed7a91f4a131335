# A test web server on 127.0.0.1 for the files of one folder, without byte ranges (like
# python3 -m http.server). The first path component picks a behaviour:
#   /plain/NAME  the file at once          /slow/NAME  4 KB, then 2 KB every 0.15 s
#   /live/NAME   the file again and again, no length (a live broadcast)
#   /close/...   the connection closed before any answer
#   /silent/...  the request read and never answered
#   /garbage/... bytes that are no HTTP answer, then the connection closed
#   /loop/...    a redirect to itself, for ever
#   /tofile/NAME a redirect to the file on this machine (file:)
#   /redirect/NAME a redirect to /plain/NAME
#   /endless/... a chunked body of zeros that never ends
#   anything else: 404
# Prints the port, then serves until killed.
import http.server
import os
import random
import sys
import time

root = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = self.path.strip('/').split('/', 1)
        kind, name = parts[0], parts[1] if len(parts) > 1 else ''
        if kind == 'close':
            self.close_connection = True
            self.connection.close()
            return
        if kind == 'silent':
            time.sleep(3600)
            return
        if kind == 'garbage':
            self.close_connection = True
            self.wfile.write(random.Random(7).randbytes(8192))
            return
        if kind in ('loop', 'tofile', 'redirect'):
            target = {'loop': self.path, 'redirect': '/plain/' + name,
                      'tofile': 'file://' + os.path.join(root, os.path.basename(name))}[kind]
            self.send_response(302)
            self.send_header('Location', target)
            self.send_header('Content-Length', '0')
            self.end_headers()
            return
        if kind == 'endless':
            self.close_connection = True
            self.send_response(200)
            self.send_header('Content-Type', 'application/octet-stream')
            self.send_header('Transfer-Encoding', 'chunked')
            self.end_headers()
            chunk = b'%x\r\n' % 65536 + bytes(65536) + b'\r\n'
            try:
                while True:
                    self.wfile.write(chunk)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        path = os.path.join(root, os.path.basename(name))
        if kind not in ('plain', 'slow', 'live') or not os.path.isfile(path):
            self.send_error(404)
            return
        data = open(path, 'rb').read()
        try:
            self.send_response(200)
            self.send_header('Content-Type', 'video/mp2t' if kind == 'live' else 'application/octet-stream')
            if kind != 'live':
                self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            if kind == 'plain':
                self.wfile.write(data)
            elif kind == 'slow':
                self.wfile.write(data[:4096])
                for i in range(4096, len(data), 2048):
                    self.wfile.flush()
                    time.sleep(0.15)
                    self.wfile.write(data[i:i + 2048])
            else:
                while True:
                    self.wfile.write(data)
                    self.wfile.flush()
                    time.sleep(0.5)
        except (BrokenPipeError, ConnectionResetError):
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
