# Serves one file over HTTP on 127.0.0.1, slowly after the first 4 KB, to test a stream that
# loads while it plays. With --live the file is sent again and again without a length, like
# a live broadcast. Prints the port, then serves until killed.
import http.server
import sys
import time

data = open(sys.argv[1], 'rb').read()
live = '--live' in sys.argv[2:]


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        if live:
            self.send_response(200)
            self.send_header('Content-Type', 'video/mp2t')
            self.end_headers()
            try:
                while True:
                    self.wfile.write(data)
                    self.wfile.flush()
                    time.sleep(0.5)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        self.send_response(200)
        self.send_header('Content-Type', 'video/mp4')
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        try:
            self.wfile.write(data[:4096])
            self.wfile.flush()
            for i in range(4096, len(data), 2048):
                time.sleep(0.15)
                self.wfile.write(data[i:i + 2048])
                self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
