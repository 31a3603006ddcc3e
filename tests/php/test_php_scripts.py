#!/usr/bin/python3
"""Tests of the shop's server scripts: coupon checker and order mailer.

Builds a site the way an export lays it out (shared scripts in
rw_common/plugins/tillbox/tillbox, each page's coupons.php in its files
folder), fills the two templates the way the exporter does (every value
escaped for a single-quoted PHP string), serves the site with `php -S` and
catches the order mails with an aiosmtpd sink that insists on the shop's SMTP
login. Skips (exit 0) when php, PHPMailer or aiosmtpd is missing.

Run with /usr/bin/python3 (Debian's python3-aiosmtpd lives there).
"""

import datetime
import email
import email.policy
import json
import logging
import os
import shutil
import socket
import subprocess
import sys
import tempfile
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


def build_site(base):
    site = os.path.join(base, 'site')
    shared = os.path.join(site, 'rw_common', 'plugins', 'tillbox', 'tillbox')
    os.makedirs(shared)
    subprocess.run(['bash', BUNDLER, shared], check=True, capture_output=True, timeout=60)
    for name in ('couponChecker.php', 'json.php'):
        shutil.copy(os.path.join(RESOURCES, name), shared)
    # The same scripts one folder higher still find the site root.
    flat = os.path.dirname(shared)
    for name in ('couponChecker.php', 'json.php'):
        shutil.copy(os.path.join(RESOURCES, name), flat)

    template = read_resource('template_orderMailer.php')
    closed = free_port()
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
    for name, values in mailers.items():
        write(os.path.join(shared, name), fill(template, MAILER_ORDER, values))

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
            # the scripts' job.
            [PHP, '-d', 'display_errors=1', '-d', 'error_reporting=E_ALL', '-d', 'html_errors=1',
             '-d', 'output_buffering=0', '-d', 'date.timezone=UTC', '-S', '127.0.0.1:%d' % port, '-t', site],
            stdout=log, stderr=log, stdin=subprocess.DEVNULL)
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
    if ctx.get('controller') is not None:
        ctx['controller'].stop()
    if ctx.get('log') is not None:
        ctx['log'].close()
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

    def check_template(self, name, order):
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

    def test_coupon_template(self):
        self.check_template('template_coupons.php', COUPON_ORDER)

    def test_mailer_template(self):
        self.check_template('template_orderMailer.php', MAILER_ORDER)

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

    def test_valid_coupon_code_is_case_insensitive_and_trimmed(self):
        for typed in ('SAVE10', 'save10', '  SaVe10 '):
            self.assertEqual(self.check(typed), {'valid': True, 'code': 'SAVE10', 'text': COUPON_TEXT, 'type': '%',
                                                 'value': 10, 'sku': 'TS-1'}, typed)
        answer = self.check("quote'code\\", skus='TS-2')
        self.assertTrue(answer['valid'])
        self.assertEqual((answer['code'], answer['type'], answer['value']), ("Quote'Code\\", '$', 2.5))

    def test_not_valid(self):
        cases = [('NOPE', 'TS-1'), ('', 'TS-1'), ('OLD', 'TS-1'), ('SOON', 'TS-1'), ('NEG', 'TS-1'),
                 ('MUG5', 'TS-1'), ('SAVE10', 'TS-10,XTS-1'), ('SAVE', 'TS-1'), ('SAVE10%', 'TS-1')]
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

    def test_dates_are_whole_days_and_the_sku_must_be_in_the_cart(self):
        self.assertTrue(self.check('TODAY')['valid'])
        self.assertTrue(self.check('FLAT5', skus='')['valid'], 'no dates and no SKU: always valid')
        self.assertTrue(self.check('MUG5', skus=' TS-1 , MUG-1 ')['valid'])
        self.assertFalse(self.check('MUG5', skus='mug-1')['valid'], 'SKUs match exactly')
        self.assertTrue(self.check('MUG5', skus=['TS-1', 'MUG-1'], as_json=True)['valid'])

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


class MailerTest(ServerTestCase):
    SHARED = 'rw_common/plugins/tillbox/tillbox/'

    def setUp(self):
        ctx['sink'].messages.clear()

    def order(self, **changes):
        values = ['Ann', 'Lee', 'ACME', '', 'ann@example.com', '555 123', '', 'Main St 1', '1234', 'Town',
                  'Land', '', '', '', 'Ring twice\nplease']
        data = {}
        for n in range(1, 16):
            data['fields[%d]' % n] = values[n - 1]
            data['labels[%d]' % n] = LABELS[n - 1]
        data['lines'] = json.dumps([
            {'name': 'T-shirt', 'sku': 'TS-1', 'options': [{'name': 'Size', 'value': 'L'}], 'quantity': 2,
             'price': '10.00', 'total': '20.00'},
            {'name': 'Mug', 'sku': 'MUG-1', 'options': 'blue', 'quantity': '1', 'price': '5.00', 'total': '5.00'}])
        data.update({'subtotal': '25.00', 'taxes': '0.00', 'shipping': '4.00', 'total': '29.00',
                     'currency': 'EUR', 'coupon': 'SAVE10'})
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
        for text in ('Thank you\nfor your order', 'Order ID: ' + answer['orderId'], 'Name: Ann',
                     'Notes:\n    Ring twice\n    please', '2 x T-shirt', 'SKU: TS-1', 'Options: Size: L',
                     'Options: blue', 'Total: 29.00', 'Currency: EUR', 'Coupon: SAVE10'):
            self.assertIn(text, body)
        self.assertEqual(ctx['sink'].logins[-1][1], SMTP_USER, 'logged in with the filled user name')

    def test_recipient_and_settings_never_come_from_the_request(self):
        data = self.order(to='evil@example.com', cc='evil@example.com', bcc='evil@example.com',
                          subject='Spam', text='Buy now', emailField='1', uid='false', prefix='P-')
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
        self.assertEqual(str(message['Subject']), MAIL_SUBJECT)
        self.assertIn('3 x Mug', message.get_content())

    def test_shopper_text_is_not_interpreted(self):
        self.send(self.order(**{'fields[1]': '<b>Ann</b> & <script>x</script>', 'fields[3]': 'A\x00B\x1bC'}))
        _, message = self.only_mail()
        body = message.get_content()
        self.assertEqual(message.get_content_type(), 'text/plain')
        self.assertIn('Name: <b>Ann</b> & <script>x</script>', body)
        self.assertIn('Company: ABC', body)

    def test_line_breaks_cannot_add_headers(self):
        self.refused(self.order(**{'fields[5]': 'ann@example.com\r\nBcc: evil@example.com'}),
                     'The e-mail address is not valid.')
        self.refused(self.order(**{'fields[5]': 'not an address'}), 'The e-mail address is not valid.')
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

    def test_unreachable_server_is_reported(self):
        self.refused(self.order(), 'the mail server could not be reached', status=502,
                     mailer='orderMailerDown.php')

    def test_refused_login_is_reported(self):
        self.refused(self.order(), "the mail server did not accept the shop's login", status=502,
                     mailer='orderMailerBadLogin.php')

    def test_missing_address_is_reported(self):
        self.refused(self.order(), "The shop's order address is not set up.", status=500,
                     mailer='orderMailerNoAddress.php')

    @unittest.skipIf(os.path.exists('/usr/sbin/sendmail'), 'a local sendmail would take the mail')
    def test_mail_function_failure_is_reported(self):
        self.refused(self.order(), 'the web server could not send e-mail', status=502,
                     mailer='orderMailerNoHost.php')


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
