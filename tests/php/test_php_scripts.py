#!/usr/bin/python3
"""Tests of the shop's server scripts: coupon checker and order mailer.

Builds a site the way an export lays it out (shared scripts in
rw_common/plugins/tillbox/tillbox, each page's coupons.php in its files
folder), fills the two templates the way the exporter does (every value
escaped for a single-quoted PHP string), serves the site with `php -S` and
catches the order mails with an aiosmtpd sink that insists on the shop's SMTP
login, and answers others with mail servers of its own that misbehave (stall,
trickle, hang after the message, refuse). The arithmetic of orders is checked
on the table of carts the cart script's tests run too
(tests/data/cart-totals.json). Skips (exit 0) when php, PHPMailer or aiosmtpd
is missing.

Run with /usr/bin/python3 (Debian's python3-aiosmtpd lives there).
"""

import datetime
import email
import email.policy
import json
import logging
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request
import warnings

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RESOURCES = os.path.join(ROOT, 'resources')
BUNDLER = os.path.join(ROOT, 'scripts', 'bundle-phpmailer.sh')
PHPMAILER_SRC = os.environ.get('PHPMAILER_SRC', '/usr/share/php/libphp-phpmailer/src')
PHP = shutil.which('php')

try:
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult, LoginPassword
except ImportError:  # pragma: no cover - reported by the skip below
    Controller = None

SHOP_ADDRESS = 'shop@example.com'
SMTP_USER = "shop'user\\"
SMTP_PASSWORD = "pa$$w0rd\\'\"{$x}\\"
MAIL_SUBJECT = "Order from shop $x \\ '"
REQUIRED = '111011011110000'
LABELS = ['Name', 'Surname', 'Company', '', 'E-mail', 'Phone', '', 'Address', 'ZIP', 'City', 'Country',
          '', '', '', 'Notes']
COUPON_ORDER = ['%CODE%', '%TEXT%', '%FROM%', '%TO%', '%VALUE%', '%TYPE%', '%APPLY%']
MAILER_ORDER = ['%MAIL_SMTP_HOST%', '%MAIL_SMTP_PORT%', '%MAIL_SMTP_USERNAME%', '%MAIL_SMTP_PASSWORD%',
                '%MAIL_SMTP_USE_SSL%', '%MAIL_TO%', '%MAIL_SUBJECT%', '%MAIL_TEXT%', '%MAIL_EMAIL_FIELD%',
                '%MAIL_UID_ENABLED%', '%MAIL_UID_PREFIX%', '%MAIL_REQUIRED%']
CART_TABLE = os.path.join(ROOT, 'tests', 'data', 'cart-totals.json')
with open(CART_TABLE, encoding='utf-8') as f:
    CARTS = json.load(f)
# The short deadline of the mailers that meet misbehaving servers.
DEADLINE = 3
HOSTILE = "'; echo 'broke out'; // \\' \\\\ ?> <?php $x {$y} \"\n%TEXT% end\\"
# Text that must never show up in an answer: PHP's messages and server paths.
LEAKS = ['Warning', 'Notice', 'Deprecated', 'Fatal error', 'Stack trace', 'Uncaught', '.php', '/usr/', '/tmp/']

ctx = {}


def php_single_quoted(value):
    return value.replace('\\', '\\\\').replace("'", "\\'")


def fill(template, order, values):
    """Ordered literal replace-all, as the exporter fills a template."""
    for placeholder in order:
        if placeholder in values:
            template = template.replace(placeholder, php_single_quoted(values[placeholder]))
    return template


def read_resource(name):
    with open(os.path.join(RESOURCES, name), encoding='utf-8') as f:
        return f.read()


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8', newline='') as f:
        f.write(text)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def php(*args, stdin=None):
    return subprocess.run([PHP, *args], input=stdin, capture_output=True, text=True, timeout=60)


def day(offset):
    # The server runs with date.timezone=UTC.
    return (datetime.datetime.now(datetime.timezone.utc).date() + datetime.timedelta(days=offset)).isoformat()


def coupon_table(coupons):
    template = read_resource('template_coupons.php')
    return ''.join(fill(template, COUPON_ORDER, c) + '\n' for c in coupons)


def coupon(code, text='', start='', end='', value='10.00', kind='%', sku=''):
    return {'%CODE%': code, '%TEXT%': text, '%FROM%': start, '%TO%': end, '%VALUE%': value, '%TYPE%': kind,
            '%APPLY%': sku}


COUPON_TEXT = "Ten percent off: 'single' \"double\" \\ back\nslash ?> $x {$y}"
COUPONS = [
    coupon('SAVE10', COUPON_TEXT, day(-10), day(10), '10.00', '%', 'TS-1'),
    coupon('FLAT5', 'Five off', '', '', '5.00', '$', ''),
    coupon('OLD', 'expired', day(-10), day(-1)),
    coupon('SOON', 'not yet', day(1), day(10)),
    coupon('TODAY', 'one day', day(0), day(0)),
    coupon("Quote'Code\\", 'tricky', '', '', '2.50', '$', 'TS-2'),
    coupon('NEG', 'malformed', '', '', '-5.00', '$', ''),
    coupon('MUG5', 'mugs only', '', '', '5', '%', 'MUG-1'),
    coupon('ÉTÉ-Ωμέγα-Ǆ', 'every letter', '', '', '1.00', '$', ''),
]


def mailer_settings(**changes):
    values = {
        '%MAIL_SMTP_HOST%': '127.0.0.1', '%MAIL_SMTP_PORT%': str(ctx['smtp_port']),
        '%MAIL_SMTP_USERNAME%': SMTP_USER, '%MAIL_SMTP_PASSWORD%': SMTP_PASSWORD, '%MAIL_SMTP_USE_SSL%': 'false',
        '%MAIL_TO%': SHOP_ADDRESS, '%MAIL_SUBJECT%': MAIL_SUBJECT, '%MAIL_TEXT%': 'Thank you\nfor your order',
        '%MAIL_EMAIL_FIELD%': '5', '%MAIL_UID_ENABLED%': 'true', '%MAIL_UID_PREFIX%': 'TB-',
        '%MAIL_REQUIRED%': REQUIRED,
    }
    for key, value in changes.items():
        placeholder = '%MAIL_' + key.upper() + '%'
        if value is None:
            del values[placeholder]
        else:
            values[placeholder] = value
    return values


def php_literal(value):
    if isinstance(value, list):
        return 'array(' + ', '.join(php_literal(v) for v in value) + ')'
    if isinstance(value, dict):
        return 'array(' + ', '.join("'%s' => %s" % (k, php_literal(v)) for k, v in value.items()) + ')'
    return "'" + php_single_quoted(value) + "'"


def catalogue_table(page, products):
    """catalogue.php as the exporter writes it."""
    return ("<?php\nif (!defined('TILLBOX_CATALOGUE')) { http_response_code(404); exit; }\n"
            '$tillboxCatalogue = ' + php_literal(dict(page, products=products)) + ';\n')


HONEST = CARTS['cases'][4]  # odd prices, price tiers, no coupon


def honest_order_data(case=HONEST, folder='shop/files'):
    """The lines and sums the cart posts for a case of the cart table."""
    products = {p['id']: p for p in CARTS['catalogues']['shop']}
    lines = []
    for item, price in zip(CARTS['carts'][case['cart']], case['expect']['lines']):
        product = products[item['id']]
        decimals = int(CARTS['pages'][case['page']]['decimals'])
        total = ('%.' + str(decimals) + 'f') % (float(price) * item['quantity'])
        lines.append({'id': item['id'], 'sku': product['sku'], 'name': product['name'],
                      'options': item.get('options', []), 'quantity': item['quantity'], 'price': price,
                      'total': total, 'catalogue': ''})
    e = case['expect']
    return {'lines': json.dumps(lines), 'catalogue': folder, 'subtotal': e['subtotal'], 'taxes': e['taxes'],
            'shipping': e['shipping'], 'additionalCosts': e['additional'], 'discount': e['discount'],
            'total': e['total'], 'currency': CARTS['pages'][case['page']]['currency'],
            'coupon': case['coupon']['code'] if case['coupon'] else '', 'taxesIncluded': 'false'}


class BadMailServer:
    """Mail servers on 127.0.0.1 that misbehave, one port per way:
    stall      greets, then never answers
    trickle    sends a line of a never-ending greeting every second
    bytes      sends a byte every half second and never a line end
    hang       takes the whole message, then never answers
    drop-rcpt  closes the connection at RCPT
    refuse-rcpt, refuse-from  answer 550 there."""

    WAYS = ('stall', 'trickle', 'bytes', 'hang', 'drop-rcpt', 'refuse-rcpt', 'refuse-from')
    # Seconds between drops, and the drop.
    DRIPS = {'trickle': (1, b'220-still greeting\r\n'), 'bytes': (0.5, b'2')}

    def __init__(self):
        self.ports = {}
        self.messages = []
        self.sockets = []
        self.stop = threading.Event()
        for way in self.WAYS:
            listener = socket.socket()
            listener.bind(('127.0.0.1', 0))
            listener.listen(16)
            self.sockets.append(listener)
            self.ports[way] = listener.getsockname()[1]
            threading.Thread(target=self.accept, args=(listener, way), daemon=True).start()

    def accept(self, listener, way):
        while not self.stop.is_set():
            try:
                conn, _ = listener.accept()
            except OSError:
                return
            self.sockets.append(conn)
            threading.Thread(target=self.serve, args=(conn, way), daemon=True).start()

    def serve(self, conn, way):
        try:
            if way in self.DRIPS:
                pause, drop = self.DRIPS[way]
                while not self.stop.wait(pause):
                    conn.sendall(drop)
                return
            conn.sendall(b'220 bad.example ESMTP\r\n')
            reader = conn.makefile('rb')
            while True:
                line = reader.readline()
                if not line:
                    return
                command = line.strip().upper()
                if way == 'stall':
                    continue
                if command.startswith(b'EHLO') or command.startswith(b'HELO'):
                    conn.sendall(b'250 bad.example\r\n')
                elif command.startswith(b'MAIL'):
                    conn.sendall(b'550 no such sender\r\n' if way == 'refuse-from' else b'250 OK\r\n')
                elif command.startswith(b'RCPT'):
                    if way == 'drop-rcpt':
                        return
                    conn.sendall(b'550 no such user\r\n' if way == 'refuse-rcpt' else b'250 OK\r\n')
                elif command == b'DATA':
                    conn.sendall(b'354 go ahead\r\n')
                    message = b''
                    while not message.endswith(b'\r\n.\r\n'):
                        chunk = reader.readline()
                        if not chunk:
                            return
                        message += chunk
                    self.messages.append(message)
                    self.stop.wait()  # 'hang': never a word about it
                    return
                else:
                    conn.sendall(b'250 OK\r\n')
        except OSError:
            pass
        finally:
            conn.close()

    def close(self):
        self.stop.set()
        for sock in self.sockets:
            sock.close()


class Sink:
    """Keeps every mail; accepts only the shop's SMTP login."""

    def __init__(self):
        self.messages = []
        self.logins = []

    async def handle_DATA(self, server, session, envelope):
        self.messages.append({'from': envelope.mail_from, 'to': list(envelope.rcpt_tos),
                              'message': email.message_from_bytes(envelope.content, policy=email.policy.default)})
        return '250 OK'

    def authenticate(self, server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        login = auth_data.login.decode('utf-8')
        password = auth_data.password.decode('utf-8')
        self.logins.append((mechanism, login))
        return AuthResult(success=(login == SMTP_USER and password == SMTP_PASSWORD), handled=False)


SCRIPTS = ('couponChecker.php', 'json.php', 'cartTotals.php')


def limited(text, **limits):
    """A script with other values of its owner's settings (TILLBOX_... = n)."""
    for name, value in limits.items():
        text, count = re.subn(r'const %s = \d+;' % name, 'const %s = %d;' % (name, value), text)
        assert count == 1, name
    return text


def write_shared_folder(folder, checker, mailers):
    os.makedirs(folder)
    subprocess.run(['bash', BUNDLER, folder], check=True, capture_output=True, timeout=60)
    for name in SCRIPTS:
        shutil.copy(os.path.join(RESOURCES, name), folder)
    write(os.path.join(folder, 'couponChecker.php'), checker)
    template = read_resource('template_orderMailer.php')
    for name, (values, limits) in mailers.items():
        write(os.path.join(folder, name), limited(fill(template, MAILER_ORDER, values), **limits))


def build_site(base):
    site = os.path.join(base, 'site')
    common = os.path.join(site, 'rw_common', 'plugins', 'tillbox')
    shared = os.path.join(common, 'tillbox')
    # Far more requests from this one address than the defaults allow.
    many = {'TILLBOX_ORDERS': 100000}
    checker = read_resource('couponChecker.php')
    closed = free_port()
    bad = ctx['bad'].ports
    mailers = {
        'orderMailer.php': mailer_settings(),
        'orderMailerDown.php': mailer_settings(smtp_port=str(closed)),
        'orderMailerBadLogin.php': mailer_settings(smtp_password='wrong'),
        'orderMailerNoHost.php': mailer_settings(smtp_host=''),
        'orderMailerInjected.php': mailer_settings(subject='Order\r\nBcc: evil@example.com',
                                                   uid_prefix='X\r\nCc: evil2@example.com '),
        'orderMailerNoAddress.php': mailer_settings(to=None),
        'orderMailerNoId.php': mailer_settings(uid_enabled='false'),
    }
    mailers = {name: (values, many) for name, values in mailers.items()}
    for way, port in bad.items():
        mailers['orderMailer-%s.php' % way] = (mailer_settings(smtp_port=str(port), smtp_username=''),
                                               dict(many, TILLBOX_MAIL_DEADLINE=DEADLINE))
    mailers['orderMailerDefaultDeadline.php'] = (mailer_settings(smtp_port=str(bad['stall']), smtp_username=''),
                                                 many)
    write_shared_folder(shared, limited(checker, TILLBOX_COUPON_CHECKS=100000), mailers)
    # The same scripts one folder higher still find the site root.
    for name in SCRIPTS:
        shutil.copy(os.path.join(shared, name), common)
    # A shared folder with the owner's settings as shipped (its own store).
    write_shared_folder(os.path.join(common, 'strict'), checker,
                        {'orderMailer.php': (mailer_settings(), {})})

    page = CARTS['pages'][HONEST['page']]
    write(os.path.join(site, 'shop', 'files', 'catalogue.php'), catalogue_table(page, CARTS['catalogues']['shop']))

    write(os.path.join(site, 'shop', 'files', 'coupons.php'), coupon_table(COUPONS))
    write(os.path.join(site, 'empty', 'files', 'coupons.php'), coupon_table([]))
    # Damaged tables: one that does not parse, one that prints and warns.
    write(os.path.join(site, 'broken', 'files', 'coupons.php'), "<?php $tillboxCoupons[] = array('code' => ?>")
    write(os.path.join(site, 'noisy', 'files', 'coupons.php'),
          "junk <?php echo $undefined, '/tmp/x.php'; ?>\n" + coupon_table([coupon('W', kind='$')]))
    outside = os.path.join(base, 'outside')
    write(os.path.join(outside, 'coupons.php'), coupon_table([coupon('OUTSIDE', 'not this shop')]))
    os.symlink(outside, os.path.join(site, 'shop', 'files', 'link'))
    os.makedirs(os.path.join(site, 'evil', 'files'))
    os.symlink(os.path.join(outside, 'coupons.php'), os.path.join(site, 'evil', 'files', 'coupons.php'))
    return site


def start_php_server(site, log):
    for _ in range(5):
        port = free_port()
        proc = subprocess.Popen(
            # Errors shown and no output buffer of PHP's own: hiding them is
            # the scripts' job. Workers as a host has them: an order waiting
            # for its mail server must not hold up the others. The store in
            # a temporary folder of this run.
            [PHP, '-d', 'display_errors=1', '-d', 'error_reporting=E_ALL', '-d', 'html_errors=1',
             '-d', 'output_buffering=0', '-d', 'date.timezone=UTC', '-d', 'sys_temp_dir=' + ctx['store'],
             '-S', '127.0.0.1:%d' % port, '-t', site],
            stdout=log, stderr=log, stdin=subprocess.DEVNULL, env=dict(os.environ, PHP_CLI_SERVER_WORKERS='6'))
        deadline = time.time() + 10
        while time.time() < deadline and proc.poll() is None:
            try:
                socket.create_connection(('127.0.0.1', port), timeout=0.5).close()
                return proc, port
            except OSError:
                time.sleep(0.1)
        proc.kill()
        proc.wait()
    raise RuntimeError('php -S did not start')


def setUpModule():
    # Runs even when the set-up stops half-way.
    unittest.addModuleCleanup(clean_up)
    # The sink runs without TLS on purpose; keep its complaints out of the output.
    warnings.filterwarnings('ignore', module='aiosmtpd')
    logging.getLogger('mail.log').setLevel(logging.CRITICAL)
    ctx['tmp'] = tempfile.mkdtemp(prefix='tillbox-php-')
    sink = Sink()
    ctx['sink'] = sink
    ctx['smtp_port'] = free_port()
    controller = Controller(sink, hostname='127.0.0.1', port=ctx['smtp_port'], authenticator=sink.authenticate,
                            auth_required=True, auth_require_tls=False)
    controller.start()
    ctx['controller'] = controller
    ctx['bad'] = BadMailServer()
    ctx['store'] = os.path.join(ctx['tmp'], 'store')
    os.makedirs(ctx['store'])
    ctx['site'] = build_site(ctx['tmp'])
    ctx['log'] = open(os.path.join(ctx['tmp'], 'php-server.log'), 'wb')
    ctx['server'], ctx['http_port'] = start_php_server(ctx['site'], ctx['log'])


def clean_up():
    server = ctx.get('server')
    if server is not None:
        server.terminate()
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
    for name, stop in (('controller', 'stop'), ('bad', 'close'), ('log', 'close')):
        if ctx.get(name) is not None:
            getattr(ctx[name], stop)()
    shutil.rmtree(ctx.get('tmp', ''), ignore_errors=True)


class Response:
    def __init__(self, status, headers, body):
        self.status, self.headers, self.body = status, headers, body

    def json(self):
        return json.loads(self.body)


class ServerTestCase(unittest.TestCase):
    def request(self, path, data=None, method='POST', as_json=False):
        url = 'http://127.0.0.1:%d/%s' % (ctx['http_port'], path)
        headers = {}
        body = None
        if data is not None:
            if as_json:
                body = json.dumps(data).encode('utf-8')
                headers['Content-Type'] = 'application/json'
            else:
                body = urllib.parse.urlencode(data).encode('utf-8')
                headers['Content-Type'] = 'application/x-www-form-urlencoded'
        req = urllib.request.Request(url, data=body, headers=headers, method=method)
        try:
            with urllib.request.urlopen(req, timeout=60) as r:
                response = Response(r.status, r.headers, r.read().decode('utf-8'))
        except urllib.error.HTTPError as e:
            response = Response(e.code, e.headers, e.read().decode('utf-8'))
        for leak in LEAKS + [ctx['tmp']]:
            self.assertNotIn(leak, response.body, 'answer of %s leaks %r: %s' % (path, leak, response.body))
        return response


# ---------------------------------------------------------------------------

class TemplateTest(unittest.TestCase):
    """The templates keep every filled value inside its string."""

    TOKENS = r'''
        $kinds = function ($file) {
            $out = array();
            foreach (token_get_all(file_get_contents($file)) as $t) {
                $out[] = is_array($t) ? token_name($t[0]) : $t;
            }
            return $out;
        };
        $placeholders = array();
        foreach (token_get_all(file_get_contents($argv[1])) as $t) {
            $text = is_array($t) ? $t[1] : $t;
            if (preg_match_all('/%[A-Z_]+%/', $text, $m) && !(is_array($t)
                    && $t[0] === T_CONSTANT_ENCAPSED_STRING && $text[0] === "'")) {
                $placeholders[] = $text;
            }
        }
        echo json_encode(array('outside' => $placeholders, 'same' => $kinds($argv[1]) === $kinds($argv[2])));
    '''

    def test_hostile_values_stay_in_their_strings(self):
        for name, order in (('template_coupons.php', COUPON_ORDER), ('template_orderMailer.php', MAILER_ORDER)):
            with self.subTest(template=name):
                template = read_resource(name)
                for placeholder in order:
                    self.assertIn("'" + placeholder + "'", template, placeholder)
                filled = os.path.join(ctx['tmp'], 'hostile-' + name)
                write(filled, fill(template, order, {p: HOSTILE for p in order}))
                result = php('-r', self.TOKENS, os.path.join(RESOURCES, name), filled)
                self.assertEqual(result.returncode, 0, result.stderr)
                report = json.loads(result.stdout)
                self.assertEqual(report['outside'], [], 'placeholders outside single-quoted strings')
                self.assertTrue(report['same'], 'a filled value changed the code of ' + name)
                self.assertEqual(php('-l', filled).returncode, 0)

    def test_coupon_values_arrive_exactly(self):
        table = os.path.join(ctx['tmp'], 'roundtrip', 'coupons.php')
        # Without a placeholder name in it: the ordered filling would replace
        # that in turn (still inside the string).
        value = HOSTILE.replace('%TEXT%', '%')
        write(table, coupon_table([coupon(*[value] * 7), coupon('B')]))
        script = ("define('TILLBOX_COUPONS', 1); $tillboxCoupons = array(); ob_start(); include $argv[1]; "
                  "$out = ob_get_clean(); echo json_encode(array('out' => $out, 'c' => $tillboxCoupons));")
        result = php('-r', script, table)
        self.assertEqual(result.returncode, 0, result.stderr)
        data = json.loads(result.stdout)
        self.assertEqual(len(data['c']), 2)
        self.assertEqual(set(data['c'][0].values()), {value})
        self.assertEqual(data['c'][1]['code'], 'B')
        self.assertEqual(data['out'], '', 'the joined table prints nothing when included')


class CouponTest(ServerTestCase):
    CHECKER = 'rw_common/plugins/tillbox/tillbox/couponChecker.php'

    def check(self, code, skus='TS-1,MUG-1', coupons='shop/files', status=200, as_json=False, checker=None):
        r = self.request(checker or self.CHECKER, {'code': code, 'skus': skus, 'coupons': coupons},
                         as_json=as_json)
        self.assertEqual(r.status, status, r.body)
        self.assertTrue(r.headers['Content-Type'].startswith('application/json'))
        answer = r.json()
        self.assertEqual(set(answer) - {'error'}, {'valid', 'code', 'text', 'type', 'value', 'sku'})
        return answer

    def test_codes_are_case_insensitive_trimmed_dated_by_whole_days_and_need_their_sku(self):
        self.assertEqual(self.check('SAVE10'), {'valid': True, 'code': 'SAVE10', 'text': COUPON_TEXT, 'type': '%',
                                                'value': 10, 'sku': 'TS-1'})
        # Every letter, whether PHP has mbstring or not; SKUs match exactly.
        for typed, skus, code in (('save10', 'TS-1', 'SAVE10'), ('  SaVe10 ', 'TS-1', 'SAVE10'),
                                  ('été-ΩΜΈΓΑ-ǆ', 'TS-1', 'ÉTÉ-Ωμέγα-Ǆ'), ('TODAY', 'TS-1', 'TODAY'),
                                  ('FLAT5', '', 'FLAT5'), ('MUG5', ' TS-1 , MUG-1 ', 'MUG5')):
            with self.subTest(typed=typed):
                answer = self.check(typed, skus=skus)
                self.assertTrue(answer['valid'], typed)
                self.assertEqual(answer['code'], code)
        answer = self.check("quote'code\\", skus='TS-2')
        self.assertTrue(answer['valid'])
        self.assertEqual((answer['code'], answer['type'], answer['value']), ("Quote'Code\\", '$', 2.5))
        self.assertTrue(self.check('MUG5', skus=['TS-1', 'MUG-1'], as_json=True)['valid'])

    def test_not_valid(self):
        cases = [('NOPE', 'TS-1'), ('', 'TS-1'), ('OLD', 'TS-1'), ('SOON', 'TS-1'), ('NEG', 'TS-1'),
                 ('MUG5', 'TS-1'), ('MUG5', 'mug-1'), ('SAVE10', 'TS-10,XTS-1'), ('SAVE', 'TS-1'), ('SAVE10%', 'TS-1')]
        for code, skus in cases:
            with self.subTest(code=code, skus=skus):
                answer = self.check(code, skus=skus)
                self.assertEqual(answer, {'valid': False, 'code': code, 'text': '', 'type': '', 'value': 0,
                                          'sku': ''})

    def test_unknown_code_reveals_no_other_code(self):
        r = self.request(self.CHECKER, {'code': 'S', 'skus': 'TS-1,TS-2,MUG-1', 'coupons': 'shop/files'})
        for c in COUPONS:
            if c['%CODE%'] != 'S':
                self.assertNotIn(c['%CODE%'], r.body)

    def test_table_paths(self):
        for path in ('shop/files', '/shop/files/', 'shop/files/coupons.php', 'shop//files'):
            with self.subTest(path=path):
                self.assertTrue(self.check('FLAT5', coupons=path)['valid'])
        self.assertFalse(self.check('FLAT5', coupons='empty/files')['valid'], 'a page without coupons')
        self.assertTrue(self.check('FLAT5', checker='rw_common/plugins/tillbox/couponChecker.php')['valid'])

    def test_paths_outside_the_site_are_refused(self):
        outside = os.path.join(ctx['tmp'], 'outside')
        for path in ('../outside', 'shop/files/../../../outside', 'shop/files/../../../outside/coupons.php',
                     '/../outside', outside, 'shop/files/link', 'shop/files/link/coupons.php', 'evil/files',
                     'rw_common/plugins/tillbox/tillbox/json.php', 'shop\\files', 'shop/files/coupons.php\0',
                     'php://filter/resource=shop/files', 'missing/files', '', 'shop/files/' + 'x/' * 600):
            with self.subTest(path=path):
                answer = self.check('OUTSIDE', coupons=path, status=400)
                self.assertFalse(answer['valid'])
                self.assertEqual(answer['error'], 'The coupon table was not found.')

    def test_table_shows_nothing_when_requested(self):
        for method in ('GET', 'POST'):
            for page in ('shop', 'empty'):
                r = self.request(page + '/files/coupons.php', {'x': '1'} if method == 'POST' else None,
                                 method=method)
                self.assertIn(r.status, (200, 404) if page == 'empty' else (404,))
                self.assertEqual(r.body, '')

    def test_damaged_tables(self):
        answer = self.check('W', coupons='broken/files', status=500)
        self.assertEqual(answer['error'], 'The coupon table could not be read.')
        self.assertTrue(self.check('W', coupons='noisy/files')['valid'])

    def test_only_well_formed_posts(self):
        r = self.request(self.CHECKER + '?code=SAVE10&skus=TS-1&coupons=shop/files', method='GET')
        self.assertEqual(r.status, 405)
        self.assertEqual(r.headers['Allow'], 'POST')
        self.assertFalse(r.json()['valid'])
        r = self.request(self.CHECKER, {'code': ['SAVE10'], 'skus': 'TS-1', 'coupons': 'shop/files'},
                         as_json=True)
        self.assertEqual(r.status, 400)
        r = self.request(self.CHECKER, None)
        self.assertEqual(r.status, 400)
        self.assertFalse(r.json()['valid'])


class OrderTestCase(ServerTestCase):
    SHARED = 'rw_common/plugins/tillbox/tillbox/'

    def setUp(self):
        ctx['sink'].messages.clear()

    def order(self, **changes):
        """An honest order: the cart table's figures for the shop page's catalogue."""
        values = ['Ann', 'Lee', 'ACME', '', 'ann@example.com', '555 123', '', 'Main St 1', '1234', 'Town',
                  'Land', '', '', '', 'Ring twice\nplease']
        data = {}
        for n in range(1, 16):
            data['fields[%d]' % n] = values[n - 1]
            data['labels[%d]' % n] = LABELS[n - 1]
        data.update(honest_order_data())
        data.update(changes)
        return data

    def send(self, data, mailer='orderMailer.php', status=200, as_json=False):
        r = self.request(self.SHARED + mailer, data, as_json=as_json)
        self.assertEqual(r.status, status, r.body)
        self.assertTrue(r.headers['Content-Type'].startswith('application/json'))
        return r.json()

    def refused(self, data, message, status=400, mailer='orderMailer.php'):
        answer = self.send(data, mailer=mailer, status=status)
        self.assertFalse(answer['ok'])
        self.assertIn(message, answer['error'])
        self.assertEqual(ctx['sink'].messages, [])
        return answer

    def only_mail(self):
        self.assertEqual(len(ctx['sink'].messages), 1)
        mail = ctx['sink'].messages[0]
        self.assertEqual(mail['to'], [SHOP_ADDRESS])
        message = mail['message']
        for header in ('Cc', 'Bcc'):
            self.assertIsNone(message[header])
        return mail, message


class MailerTest(OrderTestCase):
    def test_order_is_mailed_to_the_shop(self):
        answer = self.send(self.order())
        self.assertTrue(answer['ok'])
        self.assertRegex(answer['orderId'], r'^TB-\d{8}-\d{6}-[0-9A-F]{6}$')
        mail, message = self.only_mail()
        self.assertEqual(mail['from'], SHOP_ADDRESS)
        self.assertEqual(str(message['To']), SHOP_ADDRESS)
        self.assertEqual(str(message['Reply-To']), 'ann@example.com')
        self.assertEqual(str(message['Subject']), MAIL_SUBJECT + ' ' + answer['orderId'])
        self.assertEqual(message.get_content_type(), 'text/plain')
        body = message.get_content().replace('\r\n', '\n')
        self.assertTrue(body.startswith('Thank you\nfor your order\n\nOrder ID: ' + answer['orderId']), body)
        for text in ('Name: Ann', 'Notes:\n    Ring twice\n    please',
                     '7 x Odd & <b>even</b>\n    SKU: ODD-5\n    Price: 0.33\n    Total: 2.31\n',
                     '    Options: Finish & colour: Gloss & shine\n    Price: 0.46\n    Total: 1.38\n',
                     'Subtotal: 3.69\nDiscount: 0.00\nTaxes: 0.69\nShipping: 0.00\nAdditional costs: 5.00\n'
                     'Total: 9.38\nCurrency: USD\n'):
            self.assertIn(text, body)
        self.assertEqual(ctx['sink'].logins[-1][1], SMTP_USER, 'logged in with the filled user name')

    def test_recipient_and_settings_never_come_from_the_request(self):
        data = self.order(to='evil@example.com', cc='evil@example.com', bcc='evil@example.com',
                          subject='Spam', text='Buy now', emailField='1', uid='false', prefix='P-',
                          recipient='evil@example.com', email='evil@example.com', smtpHost='evil.example.com',
                          directOrderEmail='evil@example.com', **{'fields[0]': 'evil@example.com',
                                                                  'fields[16]': 'evil@example.com'})
        data['fields[5]'] = 'ann@example.com'
        answer = self.send(data)
        self.assertTrue(answer['orderId'].startswith('TB-'))
        _, message = self.only_mail()
        self.assertTrue(str(message['Subject']).startswith(MAIL_SUBJECT))
        self.assertNotIn('evil', message.as_string())
        self.assertNotIn('Buy now', message.get_content())

    def test_json_body(self):
        data = {'fields': {'1': 'Bo', '2': 'Ek'}, 'labels': {str(n): LABELS[n - 1] for n in range(1, 16)},
                'lines': [{'name': 'Mug', 'sku': 'MUG-1', 'quantity': 3, 'price': 5, 'total': 15}], 'total': '15'}
        answer = self.send(data, mailer='orderMailerNoId.php', as_json=True, status=400)
        self.assertIn('Please fill in: Company, E-mail', answer['error'])
        data['fields'].update({'3': 'X', '5': 'bo@example.com', '6': '1', '8': 'a', '9': 'b', '10': 'c',
                               '11': 'd'})
        answer = self.send(data, mailer='orderMailerNoId.php', as_json=True)
        self.assertEqual(answer, {'ok': True, 'orderId': ''})
        _, message = self.only_mail()
        # Without its page's catalogue table the order cannot be checked.
        self.assertEqual(str(message['Subject']), '[CHECK PRICES] ' + MAIL_SUBJECT)
        self.assertTrue(message.get_content().startswith('The prices of this order could not be checked'))
        self.assertIn('3 x Mug', message.get_content())

    def test_shopper_text_is_not_interpreted(self):
        self.send(self.order(**{'fields[1]': '<b>Ann</b> & <script>x</script>', 'fields[3]': 'A\x00B\x1bC'}))
        _, message = self.only_mail()
        body = message.get_content()
        self.assertEqual(message.get_content_type(), 'text/plain')
        self.assertIn('Name: <b>Ann</b> & <script>x</script>', body)
        self.assertIn('Company: ABC', body)

    def test_line_breaks_cannot_add_headers(self):
        for address in ('ann@example.com\r\nBcc: evil@example.com', 'ann@example.com\nCc: evil@example.com',
                        'ann@example.com\rBcc: evil@example.com', 'not an address'):
            self.refused(self.order(**{'fields[5]': address}), 'The e-mail address is not valid.')
        self.send(self.order(**{'fields[1]': 'Ann\r\nBcc: evil@example.com', 'labels[1]': 'Name\r\nCc: x@y.z'}))
        _, message = self.only_mail()
        self.assertIn('Name Cc: x@y.z:\n    Ann\n    Bcc: evil@example.com',
                      message.get_content().replace('\r\n', '\n'))
        ctx['sink'].messages.clear()
        answer = self.send(self.order(), mailer='orderMailerInjected.php')
        _, message = self.only_mail()
        self.assertEqual(str(message['Subject']), 'Order Bcc: evil@example.com ' + answer['orderId'])
        self.assertTrue(answer['orderId'].startswith('X Cc: evil2@example.com'))

    def test_honeypot(self):
        answer = self.send(self.order(website='http://spam.example'))
        self.assertTrue(answer['ok'])
        self.assertEqual(ctx['sink'].messages, [])

    def test_limits(self):
        self.refused(self.order(**{'fields[1]': 'x' * 1001}), 'Field "Name" is too long (at most 1000')
        self.refused(self.order(**{'labels[2]': 'x' * 1001}), 'Label 2 is too long')
        line = {'name': 'Mug', 'sku': 'M', 'options': '', 'quantity': 1, 'price': '1', 'total': '1'}
        self.refused(self.order(lines=json.dumps([line] * 201)), 'too many lines (at most 200)')
        self.refused(self.order(lines=json.dumps([dict(line, name='y' * 1001)])), 'Line 1 is too long')
        self.refused(self.order(lines='[]'), 'The cart is empty.')
        self.refused(self.order(lines='{broken'), 'The order lines could not be read.')
        self.refused(self.order(**{'fields[1]': ''}), 'Please fill in: Name.')
        self.refused(self.order(**{'fields[1]': '\xff'.encode('latin-1')}), 'Field "Name" is not valid text.')
        self.send(self.order(**{'fields[1]': 'é' * 1000}, lines=json.dumps([line] * 200)))
        self.assertEqual(len(ctx['sink'].messages), 1)

    def test_only_post(self):
        r = self.request(self.SHARED + 'orderMailer.php?fields[1]=Ann', method='GET')
        self.assertEqual(r.status, 405)
        self.assertEqual(r.json(), {'ok': False, 'error': 'Use POST.'})
        self.assertEqual(ctx['sink'].messages, [])

    def test_mail_failures_are_reported(self):
        cases = [('orderMailerDown.php', 502, 'the mail server could not be reached'),
                 ('orderMailerBadLogin.php', 502, "the mail server did not accept the shop's login"),
                 ('orderMailerNoAddress.php', 500, "The shop's order address is not set up.")]
        if not os.path.exists('/usr/sbin/sendmail'):  # a local sendmail would take the mail
            cases.append(('orderMailerNoHost.php', 502, 'the web server could not send e-mail'))
        for mailer, status, message in cases:
            with self.subTest(mailer=mailer):
                self.refused(self.order(), message, status=status, mailer=mailer)


class CartTableTest(unittest.TestCase):
    """The mailer's arithmetic on the table of carts the cart script's tests run."""

    RUN = r"""
        require $argv[1] . '/json.php';
        require $argv[1] . '/cartTotals.php';
        $table = json_decode(file_get_contents($argv[2]), true);
        $out = array();
        foreach ($table['cases'] as $case) {
            $page = tillbox_page_settings($table['pages'][$case['page']]);
            $lines = array();
            $problems = array();
            foreach ($table['carts'][$case['cart']] as $item) {
                foreach ($table['catalogues']['shop'] as $product) {
                    if ($product['id'] === $item['id']) {
                        $chosen = isset($item['options']) ? $item['options'] : array();
                        $lines[] = array('id' => $item['id'], 'sku' => $product['sku'],
                            'quantity' => $item['quantity'], 'product' => $product,
                            'values' => tillbox_chosen_values($product, $chosen, $item['id'], $problems));
                    }
                }
            }
            $t = tillbox_cart_totals($page, $lines, $case['coupon']);
            $d = $page['decimals'];
            $shown = array();
            foreach ($t['lines'] as $line) {
                $shown[] = tillbox_plain($line['shown'], $d);
            }
            $result = array('lines' => $shown);
            foreach (array('subtotal', 'taxes', 'shipping', 'additional', 'discount', 'total') as $key) {
                $result[$key] = tillbox_plain($t[$key], $d);
            }
            $out[] = array('expect' => $result, 'problems' => $problems);
        }
        echo json_encode($out);
    """

    def test_every_cart_of_the_table(self):
        result = php('-r', self.RUN, RESOURCES, CART_TABLE)
        self.assertEqual(result.returncode, 0, result.stderr)
        for case, got in zip(CARTS['cases'], json.loads(result.stdout)):
            with self.subTest(page=case['page'], cart=case['cart']):
                self.assertEqual(got, {'expect': case['expect'], 'problems': []})


def timed(function):
    start = time.monotonic()
    value = function()
    return value, time.monotonic() - start


class DeadlineTest(OrderTestCase):
    """However the mail server behaves, the answer comes within the deadline."""

    @classmethod
    def setUpClass(cls):
        # The default deadline, waited for while the other cases run.
        cls.default = {}

        def send():
            case = OrderTestCase('order')
            cls.default['answer'], cls.default['seconds'] = timed(
                lambda: case.request(case.SHARED + 'orderMailerDefaultDeadline.php', case.order()).json())

        cls.default_thread = threading.Thread(target=send)
        cls.default_thread.start()
        # PHP's own server lets a worker take requests that arrive together
        # and then serve them one by one: let this one be under way first.
        time.sleep(0.5)

    def test_each_misbehaving_server_gets_the_real_cause_in_time(self):
        cases = [
            ('stall', 'the mail server did not answer in time'),
            ('trickle', 'the mail server did not answer in time'),
            ('bytes', 'the mail server did not answer in time'),
            ('drop-rcpt', 'the connection to the mail server broke off'),
            ('refuse-rcpt', "the mail server refused the shop's order address"),
            ('refuse-from', 'the mail server refused the sender address'),
        ]
        for way, cause in cases:
            with self.subTest(way=way):
                answer, seconds = timed(lambda: self.send(self.order(orderKey='k' * 20 + way), status=502,
                                                          mailer='orderMailer-%s.php' % way))
                self.assertLess(seconds, DEADLINE + 1)
                self.assertEqual(answer, {'ok': False, 'error': 'The order could not be sent: ' + cause
                                          + '. Please try again later or contact the shop.'})
                # Nothing reached the shop: the same key may try again.
                again = self.send(self.order(orderKey='k' * 20 + way), status=502, mailer='orderMailer-%s.php' % way)
                self.assertEqual(again, answer)
        self.assertEqual(ctx['bad'].messages, [])

    def test_a_server_that_hangs_after_the_message_is_not_asked_again(self):
        data = self.order(orderKey='hang-after-the-message')
        answer, seconds = timed(lambda: self.send(data, status=502, mailer='orderMailer-hang.php'))
        self.assertLess(seconds, DEADLINE + 1)
        self.assertEqual(answer, {'ok': False, 'maybeSent': True, 'error': 'The order could not be confirmed by the '
                                  'mail server: the shop may have received your order; please do not send it again, '
                                  'contact the shop.'})
        self.assertEqual(len(ctx['bad'].messages), 1)
        # A retry is told the same at once and sends nothing.
        again, seconds = timed(lambda: self.send(data, status=502, mailer='orderMailer-hang.php'))
        self.assertEqual(again, answer)
        self.assertLess(seconds, 1)
        self.assertEqual(len(ctx['bad'].messages), 1)
        ctx['bad'].messages.clear()

    def test_the_default_deadline_is_thirty_seconds(self):
        self.default_thread.join(40)
        self.assertIn('did not answer in time', self.default['answer']['error'])
        self.assertGreater(self.default['seconds'], 29)
        self.assertLess(self.default['seconds'], 31)


class OrderTrustTest(OrderTestCase):
    """One mail per order key, a limit per address, checked prices, sizes."""

    def test_one_mail_per_order_key_however_often_sent(self):
        data = self.order(orderKey='0123456789abcdef0123456789abcdef')
        first = self.send(data)
        self.assertEqual(self.send(data), first)
        # A day later the key is forgotten: the same key is a new order.
        day_old = time.time() - 86400 - 60
        for folder, _, files in os.walk(ctx['store']):
            for name in files:
                if name.startswith('order-'):
                    os.utime(os.path.join(folder, name), (day_old, day_old))
        later = self.send(data)
        self.assertNotEqual(later['orderId'], first['orderId'])
        self.assertEqual(len(ctx['sink'].messages), 2)
        ctx['sink'].messages.clear()
        # Two at once: the second waits for the first and gets its answer.
        answers = []
        other = self.order(orderKey='double-click-double-click')
        threads = [threading.Thread(target=lambda: answers.append(self.send(other))) for _ in range(2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(answers[0], answers[1])
        self.assertNotEqual(answers[0]['orderId'], first['orderId'])
        self.assertEqual(len(ctx['sink'].messages), 1)
        ctx['sink'].messages.clear()
        for key in ('short', 'x' * 65, 'bad key with spaces!', ['array']):
            with self.subTest(key=key):
                self.refused(self.order(orderKey=key) if not isinstance(key, list) else
                             dict(self.order(), **{'orderKey[]': 'x'}), 'its key is not valid')

    def test_rate_limits_per_address(self):
        strict = 'rw_common/plugins/tillbox/strict/'
        order = lambda n: self.request(strict + 'orderMailer.php', self.order(orderKey='limit-%016d' % n))
        for n in range(10):
            self.assertEqual(order(n).status, 200)
        r = order(10)
        self.assertEqual(r.status, 429)
        self.assertIn('Too many orders', r.json()['error'])
        self.assertTrue(0 < int(r.headers['Retry-After']) <= 600)
        # An order already sent is still answered: it is not a new one.
        self.assertEqual(order(3).status, 200)
        self.assertEqual(len(ctx['sink'].messages), 10)
        ctx['sink'].messages.clear()
        for n in range(31):
            r = self.request(strict + 'couponChecker.php', {'code': 'FLAT5', 'skus': '', 'coupons': 'shop/files'})
            self.assertEqual(r.status, 200 if n < 30 else 429)
        self.assertEqual(r.json()['valid'], False)
        self.assertTrue(0 < int(r.headers['Retry-After']) <= 60)

    def test_tampered_order_is_mailed_marked_with_recomputed_figures(self):
        lines = json.loads(self.order()['lines'])
        lines[0].update(quantity=1000, price='0.01', total='10.00')
        self.send(self.order(lines=json.dumps(lines), total='0.01', discount='99999.00'))
        _, message = self.only_mail()
        self.assertTrue(str(message['Subject']).startswith('[CHECK PRICES] ' + MAIL_SUBJECT))
        body = message.get_content().replace('\r\n', '\n')
        self.assertTrue(body.startswith("PRICE CHECK: the figures sent with this order differ from the shop's "
                                        'catalogue.\n'), body)
        block = body[:body.index('-' * 60)]
        rows = {row[0]: row[1:] for row in (re.split(r'\s{2,}', line.strip()) for line in block.splitlines()[3:])}
        self.assertEqual(rows['Line 1 (ODD-5) price'], ['0.01', '0.33', '<<<'])
        self.assertEqual(rows['Line 1 (ODD-5) total'], ['10.00', '330.00', '<<<'])
        self.assertEqual(rows['Line 2 (ODD-5) price'], ['0.46', '0.46'])
        self.assertEqual(rows['Discount'], ['99999.00', '0.00', '<<<'])
        self.assertEqual(rows['Total'], ['0.01', '391.65', '<<<'])

    def test_orders_outside_the_catalogue_are_marked(self):
        lines = json.loads(self.order()['lines'])
        cases = [
            ({'lines': json.dumps([dict(lines[0], id='999')])}, 'Line 1 (ODD-5): the product is not in'),
            ({'lines': json.dumps([dict(lines[1], options=[{'name': 'Finish & colour', 'value': 'Matt'}])])},
             'Line 1 (ODD-5): "Finish & colour" has no value "Matt".'),
            ({'coupon': 'NOPE'}, 'The coupon "NOPE" is not valid for this order today.'),
            ({'lines': json.dumps([dict(lines[0], id='102', sku='MUG-2', quantity=3)])},
             'Line 1 (MUG-2): more than the purchase limit of 2.'),
            ({'catalogue': 'empty/files'}, 'The prices of this order could not be checked'),
        ]
        for changes, problem in cases:
            with self.subTest(problem=problem):
                ctx['sink'].messages.clear()
                self.send(self.order(**changes))
                _, message = self.only_mail()
                self.assertTrue(str(message['Subject']).startswith('[CHECK PRICES] '))
                self.assertIn(problem, message.get_content())

    def test_bodies_over_the_limit(self):
        big = {'code': 'x', 'pad': 'y' * (1024 * 1024 + 10)}
        r = self.request('rw_common/plugins/tillbox/tillbox/couponChecker.php', big)
        self.assertEqual(r.status, 413)
        self.assertEqual(r.json()['error'], 'The request is too large.')
        for as_json in (False, True):
            r = self.request(self.SHARED + 'orderMailer.php', self.order(lines='[' + ' ' * (1024 * 1024) + ']'),
                             as_json=as_json)
            self.assertEqual((r.status, r.json()), (413, {'ok': False, 'error': 'The order is too large to be sent.'}))
        self.assertEqual(ctx['sink'].messages, [])


def missing_tools():
    if PHP is None:
        return 'php is not installed (apt-get install php-cli)'
    if Controller is None:
        return 'aiosmtpd is not available (apt-get install python3-aiosmtpd; run with /usr/bin/python3)'
    if not os.path.isfile(os.path.join(PHPMAILER_SRC, 'PHPMailer.php')):
        return 'PHPMailer is not installed (apt-get install libphp-phpmailer)'
    return None


if __name__ == '__main__':
    reason = missing_tools()
    if reason:
        print('SKIP: ' + reason)
        sys.exit(0)
    unittest.main(verbosity=2)
