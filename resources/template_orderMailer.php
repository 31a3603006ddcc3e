<?php @ini_set('display_errors', '0'); // before anything else can print
/*
 * Tillbox order mailer: sends a direct order from the cart to the shop by
 * e-mail. Lives in the site's shared folder beside json.php,
 * class.phpmailer.php and class.smtp.php.
 *
 * Generated at export from template_orderMailer. The exporter fills the shop's
 * settings into the single-quoted strings of $tillboxMailSettings below, each
 * value escaped for a single-quoted PHP string (backslash -> \\, quote -> \').
 * The port, the switches and the field number are filled as text too and
 * converted here, so no setting can change the script. A setting the
 * exporter left unfilled counts as empty.
 *
 * Request: POST only (anything else: 405), as a form body or a JSON object.
 *   fields[N]   N = 1..15: what the shopper typed into order-form field N.
 *   labels[N]   optional: the label of field N as the page shows it.
 *   lines       the cart: a list (JSON text in a form body) of objects
 *               {id, sku, name, options, quantity, price, total, catalogue};
 *               options is text or a list of texts or {name, value}
 *               objects; catalogue the files folder of the line's page when
 *               it is not the posted page's.
 *   subtotal, discount, taxes, shipping, additionalCosts, total, currency, coupon,
 *   taxesIncluded ("true"/"false")                     texts as the cart
 *               shows them (the shopper's browser computed them).
 *   catalogue   the page's files folder relative to the site root, where its
 *               catalogue.php and coupons.php lie (as couponChecker.php's
 *               "coupons").
 *   orderKey    16 to 64 letters, digits, "-" or "_", made by the cart once
 *               per checkout: a key sent again gets the first answer again
 *               (the same order ID) and no second mail.
 *   website     honeypot: must stay empty. When filled the answer is a
 *               success and nothing is sent.
 * The recipient, subject, introductory text, e-mail field, order ID switch
 * and prefix and the required fields come from the shop's settings only;
 * request fields of those names are ignored.
 * Limits: 1000 characters per field, label and line value, 200 lines, a
 * body of 1 MiB; each client address may send TILLBOX_ORDERS orders in
 * TILLBOX_ORDER_WINDOW seconds.
 *
 * Answer: JSON {"ok":true,"orderId":"..."} (orderId "" when the shop gives
 * no order IDs) or {"ok":false,"error":"..."} with status 400 (the request),
 * 405 (not POST), 409 (the same order is being sent right now), 413 (too
 * large), 429 (too many orders; Retry-After in seconds), 500 (the shop's
 * set-up) or 502 (sending failed). When the message may have reached the
 * mail server before the failure, the answer says so and adds
 * "maybeSent":true: the shopper is asked not to send it again.
 *
 * The figures are checked: the order is worked out again from the page's
 * catalogue table and coupon table. An order whose posted figures differ is
 * still mailed, its subject marked "[CHECK PRICES]" and a block of the
 * posted and the recomputed figures at the top of its text.
 *
 * The whole conversation with the mail server (connecting included) ends
 * within TILLBOX_MAIL_DEADLINE seconds, whatever the server does; the script
 * goes on to the end of it even when the shopper's browser has gone, so the
 * shop and the shopper are never told different things.
 *
 * The mail goes to the shop's order address only, as plain UTF-8 text; the
 * shopper's address, once validated, is only its Reply-To. Line breaks are
 * removed from every header value. With an empty SMTP host the server's PHP
 * mail() sends it.
 */

use PHPMailer\PHPMailer\PHPMailer;
use PHPMailer\PHPMailer\SMTP;

$tillboxMailSettings = array(
    'smtpHost' => '%MAIL_SMTP_HOST%',
    'smtpPort' => '%MAIL_SMTP_PORT%',
    'smtpUsername' => '%MAIL_SMTP_USERNAME%',
    'smtpPassword' => '%MAIL_SMTP_PASSWORD%',
    'smtpUseSSL' => '%MAIL_SMTP_USE_SSL%',
    'to' => '%MAIL_TO%',
    'subject' => '%MAIL_SUBJECT%',
    'text' => '%MAIL_TEXT%',
    'emailField' => '%MAIL_EMAIL_FIELD%',
    'uidEnabled' => '%MAIL_UID_ENABLED%',
    'uidPrefix' => '%MAIL_UID_PREFIX%',
    'required' => '%MAIL_REQUIRED%',
);

// Settings the shop owner may change.
const TILLBOX_MAIL_DEADLINE = 30; // seconds for the whole conversation with the mail server
const TILLBOX_ORDERS = 10;        // orders one client address may send ...
const TILLBOX_ORDER_WINDOW = 600; // ... in this many seconds

require_once __DIR__ . '/json.php';
require_once __DIR__ . '/cartTotals.php';

const TILLBOX_FIELD_COUNT = 15;
const TILLBOX_MAX_TEXT = 1000;
const TILLBOX_MAX_LINES = 200;
const TILLBOX_MAX_QUANTITY = 1000000;
const TILLBOX_CATALOGUE_TABLE = 'catalogue.php';
const TILLBOX_PRICE_MARK = '[CHECK PRICES] ';

$GLOBALS['tillboxFatalBody'] = array('ok' => false, 'error' => 'The order could not be sent.');

function tillbox_fail($error, $status)
{
    json_response(array('ok' => false, 'error' => $error), $status);
}

/* A setting as text; a placeholder the exporter did not fill reads as "". */
function tillbox_setting($settings, $key)
{
    $value = isset($settings[$key]) ? (string)$settings[$key] : '';
    return preg_match('/^%MAIL_[A-Z0-9_]+%$/', $value) === 1 ? '' : $value;
}

/*
 * Text safe to put into the mail: line ends normalised, control characters
 * removed; a single-line text also loses its line breaks and tabs, which is
 * what keeps header values from starting new headers.
 */
function tillbox_clean($text, $multiline)
{
    $text = str_replace(array("\r\n", "\r"), "\n", $text);
    if (!$multiline) {
        $text = str_replace(array("\n", "\t"), ' ', $text);
    }
    return trim(preg_replace('/[\x00-\x08\x0B-\x1F\x7F]/', '', $text));
}

/*
 * A request value checked as text of at most TILLBOX_MAX_TEXT characters;
 * fails the request with a message naming $what otherwise.
 */
function tillbox_request_text($value, $what, $multiline)
{
    $text = json_text($value);
    if ($text === null || !json_is_utf8($text)) {
        tillbox_fail($what . ' is not valid text.', 400);
    }
    if (json_text_length($text) > TILLBOX_MAX_TEXT) {
        tillbox_fail($what . ' is too long (at most ' . TILLBOX_MAX_TEXT . ' characters).', 400);
    }
    return tillbox_clean($text, $multiline);
}

function tillbox_member($array, $key)
{
    return is_array($array) && array_key_exists($key, $array) ? $array[$key] : null;
}

/* The options of an order line as one text. */
function tillbox_options_text($options)
{
    if (!is_array($options)) {
        return $options;
    }
    $parts = array();
    foreach ($options as $option) {
        if (is_array($option)) {
            $name = json_text(tillbox_member($option, 'name'));
            $value = json_text(tillbox_member($option, 'value'));
            $option = ($name === null || $value === null) ? null
                : ($name === '' ? $value : $name . ': ' . $value);
        }
        $text = json_text($option);
        if ($text === null) {
            return null;
        }
        if ($text !== '') {
            $parts[] = $text;
        }
    }
    return implode('; ', $parts);
}

/* "prefix" + date and time + six random hex digits: unique enough per shop. */
function tillbox_order_id($prefix)
{
    try {
        $random = bin2hex(random_bytes(3));
    } catch (Throwable $e) {
        $random = sprintf('%06x', mt_rand(0, 0xffffff));
    }
    return $prefix . date('Ymd-His') . '-' . strtoupper($random);
}

/* A multi-line value indented under its label. */
function tillbox_body_value($label, $value)
{
    if (strpos($value, "\n") === false) {
        return $label . ': ' . $value . "\n";
    }
    return $label . ":\n    " . str_replace("\n", "\n    ", $value) . "\n";
}

/* The options an order line chose, as {name, value} pairs to check. */
function tillbox_chosen_options($options)
{
    $chosen = array();
    foreach (is_array($options) ? $options : array() as $option) {
        $name = json_text(tillbox_member($option, 'name'));
        $value = json_text(tillbox_member($option, 'value'));
        if (is_string($name) && is_string($value)) {
            $chosen[] = array('name' => trim(preg_replace('/\s+/u', ' ', $name)),
                'value' => trim(preg_replace('/\s+/u', ' ', $value)));
        }
    }
    return $chosen;
}

/*
 * The order worked out again from the catalogue tables: returns the text of
 * the block that heads the mail when the posted figures differ, "" when they
 * agree. $lines are the checked request lines, $sums the posted totals.
 */
function tillbox_price_check($request, $lines, $sums)
{
    $pageFolder = (string)json_text(tillbox_member($request, 'catalogue'));
    $tables = array();
    $catalogueOf = function ($folder) use (&$tables) {
        if (!array_key_exists($folder, $tables)) {
            $path = count($tables) < 20 ? tillbox_site_table_path($folder, TILLBOX_CATALOGUE_TABLE) : null;
            $tables[$folder] = $path === null ? null
                : tillbox_run_table($path, 'TILLBOX_CATALOGUE', 'tillboxCatalogue');
        }
        return $tables[$folder];
    };
    $catalogue = $catalogueOf($pageFolder);
    if ($catalogue === null) {
        error_log('Tillbox: no catalogue table at "' . $pageFolder . '"; the order\'s prices were not checked.');
        return "The prices of this order could not be checked: the shop page's catalogue table was not found.\n"
            . "Check every price before you accept the order.\n";
    }
    $page = tillbox_page_settings($catalogue);
    $d = $page['decimals'];

    $problems = array();
    $resolved = array();
    $perProduct = array();
    foreach ($lines as $index => $line) {
        $what = 'Line ' . ($index + 1) . ' (' . ($line['sku'] !== '' ? $line['sku'] : $line['name']) . ')';
        $table = $line['catalogue'] === '' ? $catalogue : $catalogueOf($line['catalogue']);
        $product = null;
        $products = $table !== null && isset($table['products']) && is_array($table['products'])
            ? $table['products'] : array();
        foreach ($products as $entry) {
            if ($line['id'] !== '' ? tillbox_table_text($entry, 'id') === $line['id']
                : tillbox_table_text($entry, 'sku') === $line['sku']) {
                $product = $entry;
                break;
            }
        }
        if ($product === null) {
            $problems[] = $what . ': the product is not in the shop\'s catalogue.';
            continue;
        }
        if (tillbox_table_text($product, 'status') !== '0') {
            $problems[] = $what . ': the product is not available (out of stock or hidden).';
        }
        $id = tillbox_table_text($product, 'id');
        $perProduct[$id] = (isset($perProduct[$id]) ? $perProduct[$id] : 0) + $line['quantity'];
        $limit = (int)tillbox_table_text($product, 'limit');
        if ($limit > 0 && $perProduct[$id] > $limit) {
            $problems[] = $what . ': more than the purchase limit of ' . $limit . '.';
        }
        $resolved[] = array('index' => $index, 'id' => $id, 'sku' => tillbox_table_text($product, 'sku'),
            'quantity' => $line['quantity'], 'product' => $product,
            'values' => tillbox_chosen_values($product, $line['chosen'], $what, $problems));
    }

    $coupon = null;
    $code = trim($sums['coupon']);
    if ($code !== '') {
        $couponsPath = tillbox_site_table_path($pageFolder, 'coupons.php');
        $coupons = $couponsPath === null ? null : tillbox_run_table($couponsPath, 'TILLBOX_COUPONS', 'tillboxCoupons');
        $skus = array();
        foreach ($resolved as $line) {
            $skus[] = $line['sku'];
        }
        $coupon = $coupons === null ? null : tillbox_find_coupon($coupons, $code, $skus);
        if ($coupon === null) {
            $problems[] = 'The coupon "' . $code . '" is not valid for this order today.';
        }
    }
    $totals = tillbox_cart_totals($page, $resolved, $coupon);

    // Posted and recomputed, side by side; more than a unit of rounding apart is a difference.
    $rows = array();
    $differs = false;
    $compare = function ($label, $posted, $amount) use (&$rows, &$differs, $d) {
        $value = tillbox_amount(str_replace(',', '.', $posted), $d);
        $bad = $value === null || abs($value - $amount) > 1;
        $differs = $differs || $bad;
        $rows[] = array($label, $posted === '' ? '(none)' : $posted, tillbox_plain($amount, $d), $bad);
    };
    foreach ($totals['lines'] as $n => $line) {
        $posted = $lines[$resolved[$n]['index']];
        $label = 'Line ' . ($resolved[$n]['index'] + 1) . ' (' . $line['sku'] . ') ';
        $compare($label . 'price', $posted['price'], $line['shown']);
        $compare($label . 'total', $posted['total'], $line['shown'] * $line['quantity']);
    }
    foreach (array('subtotal' => 'Subtotal', 'discount' => 'Discount', 'taxes' => 'Taxes', 'shipping' => 'Shipping',
                   'additional' => 'Additional costs', 'total' => 'Total') as $key => $label) {
        $compare($label, $sums[$key], $totals[$key]);
    }
    if ($sums['currency'] !== '' && $page['currency'] !== '' && $sums['currency'] !== $page['currency']) {
        $problems[] = 'The currency sent is ' . $sums['currency'] . ', the shop\'s is ' . $page['currency'] . '.';
    }
    if (!$differs && empty($problems)) {
        return '';
    }
    $block = "PRICE CHECK: the figures sent with this order differ from the shop's catalogue.\n"
        . "Check the order before you accept it. Rows marked <<< differ.\n\n";
    $rows = array_merge(array(array('', 'Sent', 'Recomputed', false)), $rows);
    $width = 0;
    foreach ($rows as $row) {
        $width = max($width, json_text_length($row[0]), json_text_length($row[1]));
    }
    foreach ($rows as $row) {
        $block .= $row[0] . str_repeat(' ', $width + 2 - json_text_length($row[0]))
            . $row[1] . str_repeat(' ', $width + 2 - json_text_length($row[1])) . $row[2]
            . ($row[3] ? '  <<<' : '') . "\n";
    }
    foreach ($problems as $problem) {
        $block .= '- ' . $problem . "\n";
    }
    return $block;
}

/*
 * The failure answer for the shopper, by what really happened; the
 * technical detail goes to the server log only.
 */
function tillbox_send_failure($smtp, $detail)
{
    $code = $smtp === null ? 0 : (int)substr((string)$smtp->getLastReply(), 0, 3);
    if ($smtp !== null && $smtp->messageSent && $code === 0) {
        return array('The order could not be confirmed by the mail server: the shop may have received your order; '
            . 'please do not send it again, contact the shop.', true);
    }
    if ($smtp === null) {
        $reason = 'the web server could not send e-mail';
    } elseif ($smtp->timedOut) {
        $reason = 'the mail server did not answer in time';
    } elseif (!$smtp->reachedServer) {
        $reason = 'the mail server could not be reached';
    } elseif ($code === 0) {
        $reason = 'the connection to the mail server broke off';
    } else {
        $reasons = array(
            'connect' => 'the mail server refused the connection',
            'EHLO' => 'the mail server refused the connection',
            'HELO' => 'the mail server refused the connection',
            'STARTTLS' => 'a secure connection to the mail server could not be made',
            'AUTH' => 'the mail server did not accept the shop\'s login',
            'User & Password' => 'the mail server did not accept the shop\'s login',
            'Username' => 'the mail server did not accept the shop\'s login',
            'Password' => 'the mail server did not accept the shop\'s login',
            'MAIL FROM' => 'the mail server refused the sender address',
            'RCPT TO' => 'the mail server refused the shop\'s order address',
            'DATA' => 'the mail server refused the message',
            'DATA END' => 'the mail server refused the message',
        );
        $reason = isset($reasons[$smtp->stage]) ? $reasons[$smtp->stage] : 'the e-mail could not be sent';
        if ($smtp->stage === 'STARTTLS' && $code === 220) {
            $reason = $reasons['STARTTLS'];
        }
    }
    return array('The order could not be sent: ' . $reason . '. Please try again later or contact the shop.', false);
}

// ---------------------------------------------------------------------------
// Request

json_require_post(array('ok' => false, 'error' => 'Use POST.'));
// From here on, the shop and the shopper are told the same thing: an order
// is carried to its end even when the browser stops waiting.
ignore_user_abort(true);
@set_time_limit(TILLBOX_MAIL_DEADLINE + 30);

$tooLarge = array('ok' => false, 'error' => 'The order is too large to be sent.');
$request = json_request_data($tooLarge);
if ($request === null) {
    tillbox_fail('The request could not be read.', 400);
}

$settings = $tillboxMailSettings;
$uidEnabled = tillbox_setting($settings, 'uidEnabled') === 'true';
$uidPrefix = tillbox_clean(tillbox_setting($settings, 'uidPrefix'), false);
$orderId = $uidEnabled ? tillbox_order_id($uidPrefix) : '';

// Bots fill every field; they get the answer a shopper would and no mail.
$honeypot = tillbox_member($request, 'website');
if ($honeypot !== null && $honeypot !== '' && $honeypot !== array()) {
    json_response(array('ok' => true, 'orderId' => $orderId));
}

$orderKey = json_text(tillbox_member($request, 'orderKey'));
if ($orderKey === null || ($orderKey !== '' && preg_match('/^[A-Za-z0-9_-]{16,64}$/', $orderKey) !== 1)) {
    tillbox_fail('The order could not be read (its key is not valid).', 400);
}

$postedFields = tillbox_member($request, 'fields');
$postedLabels = tillbox_member($request, 'labels');
if (($postedFields !== null && !is_array($postedFields)) || ($postedLabels !== null && !is_array($postedLabels))) {
    tillbox_fail('The order form could not be read.', 400);
}

$fields = array();
for ($n = 1; $n <= TILLBOX_FIELD_COUNT; ++$n) {
    $label = tillbox_request_text(tillbox_member($postedLabels, $n), 'Label ' . $n, false);
    if ($label === '') {
        $label = 'Field ' . $n;
    }
    $fields[$n] = array(
        'label' => $label,
        'value' => tillbox_request_text(tillbox_member($postedFields, $n), 'Field "' . $label . '"', true),
    );
}

$required = tillbox_setting($settings, 'required');
if (preg_match('/^[01]{' . TILLBOX_FIELD_COUNT . '}$/', $required) === 1) {
    $missing = array();
    for ($n = 1; $n <= TILLBOX_FIELD_COUNT; ++$n) {
        if ($required[$n - 1] === '1' && $fields[$n]['value'] === '') {
            $missing[] = $fields[$n]['label'];
        }
    }
    if (!empty($missing)) {
        tillbox_fail('Please fill in: ' . implode(', ', $missing) . '.', 400);
    }
}

$replyTo = '';
$emailField = (int)tillbox_setting($settings, 'emailField');
if ($emailField >= 1 && $emailField <= TILLBOX_FIELD_COUNT) {
    // Checked on the text as sent: a line break makes it invalid, it is not
    // silently joined into some other address.
    $sent = json_text(tillbox_member($postedFields, $emailField));
    $sent = $sent === null ? '' : trim($sent);
    if ($sent !== '') {
        if (filter_var($sent, FILTER_VALIDATE_EMAIL) === false) {
            tillbox_fail('The e-mail address is not valid.', 400);
        }
        $replyTo = $sent;
    }
}

$lines = tillbox_member($request, 'lines');
if (is_string($lines)) {
    $lines = json_decode($lines, true, 8);
}
if (!is_array($lines)) {
    tillbox_fail('The order lines could not be read.', 400);
}
if (count($lines) > TILLBOX_MAX_LINES) {
    tillbox_fail('The order has too many lines (at most ' . TILLBOX_MAX_LINES . ').', 400);
}
if (count($lines) === 0) {
    tillbox_fail('The cart is empty.', 400);
}
$orderLines = array();
foreach (array_values($lines) as $index => $line) {
    if (!is_array($line)) {
        tillbox_fail('The order lines could not be read.', 400);
    }
    $what = 'Line ' . ($index + 1);
    $orderLine = array(
        'id' => tillbox_request_text(tillbox_member($line, 'id'), $what, false),
        'name' => tillbox_request_text(tillbox_member($line, 'name'), $what, false),
        'sku' => tillbox_request_text(tillbox_member($line, 'sku'), $what, false),
        'options' => tillbox_request_text(tillbox_options_text(tillbox_member($line, 'options')), $what, false),
        'chosen' => tillbox_chosen_options(tillbox_member($line, 'options')),
        'quantity' => tillbox_request_text(tillbox_member($line, 'quantity'), $what, false),
        'price' => tillbox_request_text(tillbox_member($line, 'price'), $what, false),
        'total' => tillbox_request_text(tillbox_member($line, 'total'), $what, false),
        'catalogue' => tillbox_request_text(tillbox_member($line, 'catalogue'), $what, false),
    );
    if ($orderLine['quantity'] === '') {
        $orderLine['quantity'] = '1';
    }
    if (preg_match('/^[1-9]\d{0,6}$/', $orderLine['quantity']) !== 1
        || (int)$orderLine['quantity'] > TILLBOX_MAX_QUANTITY) {
        tillbox_fail($what . ': the quantity is not a whole number from 1 to ' . TILLBOX_MAX_QUANTITY . '.', 400);
    }
    $orderLine['quantity'] = (int)$orderLine['quantity'];
    $orderLines[] = $orderLine;
}

$sums = array();
foreach (array('subtotal', 'coupon', 'discount', 'taxes', 'shipping', 'additionalCosts', 'total', 'currency')
         as $key) {
    $sums[$key] = tillbox_request_text(tillbox_member($request, $key), ucfirst($key), false);
}
$sums['additional'] = $sums['additionalCosts'];
$taxesIncluded = tillbox_request_text(tillbox_member($request, 'taxesIncluded'), 'TaxesIncluded', false) === 'true';

// ---------------------------------------------------------------------------
// Shop set-up

$to = tillbox_clean(tillbox_setting($settings, 'to'), false);
if (filter_var($to, FILTER_VALIDATE_EMAIL) === false) {
    error_log('Tillbox: the order address of orderMailer.php is not a valid e-mail address.');
    tillbox_fail('The shop\'s order address is not set up.', 500);
}
if (!is_file(__DIR__ . '/class.phpmailer.php') || !is_file(__DIR__ . '/class.smtp.php')) {
    error_log('Tillbox: class.phpmailer.php or class.smtp.php is missing beside orderMailer.php.');
    tillbox_fail('The shop\'s mail library is missing on the server.', 500);
}
require_once __DIR__ . '/class.phpmailer.php';
require_once __DIR__ . '/class.smtp.php';

/*
 * The SMTP client with one deadline for the whole conversation: every read
 * and write waits only for what is left of it, however the server trickles
 * its answers; once it has passed the connection is closed and nothing more
 * is sent. It also records how far the conversation got, so that a failure
 * is reported by its real cause.
 */
class TillboxSMTP extends SMTP
{
    public $deadline;
    public $timedOut = false;
    public $reachedServer = false;
    // The final "." went out: from here the server may deliver the message.
    public $messageSent = false;
    public $stage = 'connect';
    private $pending = '';

    public function __construct($deadline)
    {
        $this->deadline = $deadline;
    }

    private function left()
    {
        return $this->deadline - microtime(true);
    }

    private function giveUp()
    {
        $this->timedOut = true;
        $this->close();
    }

    protected function getSMTPConnection($host, $port = null, $timeout = 30, $options = array())
    {
        $connection = parent::getSMTPConnection($host, $port, max(1, (int)ceil($this->left())), $options);
        $this->reachedServer = $connection !== false;
        if ($connection === false && $this->left() <= 0) {
            $this->timedOut = true;
        }
        return $connection;
    }

    protected function sendCommand($command, $commandstring, $expect)
    {
        $this->stage = $command;
        return parent::sendCommand($command, $commandstring, $expect);
    }

    public function client_send($data, $command = '')
    {
        if (!is_resource($this->smtp_conn)) {
            return false;
        }
        $left = $this->left();
        if ($left <= 0) {
            $this->giveUp();
            return false;
        }
        stream_set_timeout($this->smtp_conn, (int)floor($left), (int)(($left - floor($left)) * 1000000));
        $result = parent::client_send($data, $command);
        if ($this->left() <= 0) {
            $this->giveUp();
            return false;
        }
        if ($command === 'DATA END' && $result === strlen($data)) {
            $this->messageSent = true;
        }
        return $result;
    }

    // One whole reply (all its lines), or what came of it before the
    // deadline or the end of the connection.
    protected function get_lines()
    {
        $data = '';
        while (is_resource($this->smtp_conn)) {
            $newline = strpos($this->pending, "\n");
            if ($newline !== false) {
                $line = substr($this->pending, 0, $newline + 1);
                $this->pending = (string)substr($this->pending, $newline + 1);
                $data .= $line;
                if (!isset($line[3]) || $line[3] === ' ' || $line[3] === "\r" || $line[3] === "\n") {
                    return $data;
                }
                continue;
            }
            if (strlen($this->pending) + strlen($data) > 65536) {
                break; // no reply is that long
            }
            $left = $this->left();
            if ($left <= 0) {
                $this->giveUp();
                break;
            }
            $read = array($this->smtp_conn);
            $none = null;
            $ready = @stream_select($read, $none, $none, (int)floor($left), (int)(($left - floor($left)) * 1000000));
            if ($ready === false) {
                break;
            }
            if ($ready === 0) {
                continue;
            }
            $chunk = @fread($this->smtp_conn, 8192);
            if (!is_string($chunk) || $chunk === '') {
                if (feof($this->smtp_conn)) {
                    break;
                }
                continue;
            }
            $this->pending .= $chunk;
        }
        return $data;
    }

    // The order is settled by then: say goodbye without waiting for the reply.
    public function quit($close_on_error = true)
    {
        if ($this->connected() && $this->left() > 0) {
            $this->client_send('QUIT' . static::LE, 'QUIT');
        }
        $this->close();
        return true;
    }
}

// ---------------------------------------------------------------------------
// The same order again (a retry, a second click): the first answer, no mail.

$deadline = microtime(true) + TILLBOX_MAIL_DEADLINE;
$keyEntry = null;
if ($orderKey !== '') {
    $keyEntry = tillbox_store_open('order-' . hash('sha256', $orderKey) . '.json', $deadline);
    if ($keyEntry === null && tillbox_store_folder() !== null) {
        tillbox_fail('This order is still being sent. Please wait a moment before you look again.', 409);
    }
    $first = $keyEntry === null ? null : tillbox_store_read($keyEntry);
    if ($first !== null && isset($first['answer'], $first['status'])) {
        tillbox_store_close($keyEntry);
        json_response($first['answer'], (int)$first['status']);
    }
}

tillbox_rate_limit('order', TILLBOX_ORDERS, TILLBOX_ORDER_WINDOW, array('ok' => false,
    'error' => 'Too many orders were sent from your address. Please wait a few minutes, then try again.'));

// ---------------------------------------------------------------------------
// Mail text: plain text, so nothing the shopper typed is interpreted.

$check = tillbox_price_check($request, $orderLines, $sums);

$subject = tillbox_clean(tillbox_setting($settings, 'subject'), false);
if ($subject === '') {
    $subject = 'Order';
}
if ($orderId !== '') {
    $subject .= ' ' . $orderId;
}
if ($check !== '') {
    $subject = TILLBOX_PRICE_MARK . $subject;
}

$body = '';
if ($check !== '') {
    $body .= $check . "\n" . str_repeat('-', 60) . "\n\n";
}
$intro = tillbox_clean(tillbox_setting($settings, 'text'), true);
if ($intro !== '') {
    $body .= $intro . "\n\n";
}
if ($orderId !== '') {
    $body .= 'Order ID: ' . $orderId . "\n";
}
$body .= 'Date: ' . date('Y-m-d H:i:s T') . "\n\n";
foreach ($fields as $field) {
    if ($field['value'] !== '') {
        $body .= tillbox_body_value($field['label'], $field['value']);
    }
}
$body .= "\n";
foreach ($orderLines as $line) {
    $body .= $line['quantity'] . ' x ' . $line['name'] . "\n";
    foreach (array('sku' => 'SKU', 'options' => 'Options', 'price' => 'Price', 'total' => 'Total') as $key => $label) {
        if ($line[$key] !== '') {
            $body .= '    ' . $label . ': ' . $line[$key] . "\n";
        }
    }
}
$body .= "\n";
// Every part of the total, so the mail adds up: the coupon's discount and
// the additional costs of the shipping tiers included.
foreach (array('subtotal' => 'Subtotal', 'coupon' => 'Coupon', 'discount' => 'Discount',
               'taxes' => $taxesIncluded ? 'Taxes (included in the prices)' : 'Taxes',
               'shipping' => 'Shipping', 'additionalCosts' => 'Additional costs',
               'total' => 'Total', 'currency' => 'Currency') as $key => $label) {
    if ($sums[$key] !== '') {
        $body .= $label . ': ' . $sums[$key] . "\n";
    }
}

// ---------------------------------------------------------------------------
// Sending

$host = tillbox_clean(tillbox_setting($settings, 'smtpHost'), false);
$username = tillbox_clean(tillbox_setting($settings, 'smtpUsername'), false);
$mail = new PHPMailer(true);
$smtp = null;
$answer = array('ok' => true, 'orderId' => $orderId);
$status = 200;
try {
    $mail->CharSet = PHPMailer::CHARSET_UTF8;
    $mail->XMailer = ' ';
    if ($host !== '') {
        $port = (int)tillbox_setting($settings, 'smtpPort');
        $smtp = new TillboxSMTP($deadline);
        $mail->setSMTPInstance($smtp);
        $mail->isSMTP();
        $mail->Host = $host;
        $mail->Port = ($port > 0 && $port < 65536) ? $port : 25;
        $mail->Timeout = max(1, TILLBOX_MAIL_DEADLINE);
        $mail->SMTPAuth = $username !== '';
        $mail->Username = $username;
        $mail->Password = tillbox_setting($settings, 'smtpPassword');
        $mail->SMTPSecure = tillbox_setting($settings, 'smtpUseSSL') === 'true' ? PHPMailer::ENCRYPTION_SMTPS : '';
    } else {
        $mail->isMail();
    }
    // Mail servers often insist that the sender is the account that logs in.
    $from = filter_var($username, FILTER_VALIDATE_EMAIL) !== false ? $username : $to;
    $mail->setFrom($from, '', false);
    $mail->addAddress($to);
    if ($replyTo !== '') {
        $mail->addReplyTo($replyTo);
    }
    $mail->Subject = $subject;
    $mail->isHTML(false);
    $mail->Body = $body;
    $mail->send();
} catch (Throwable $e) {
    $detail = $e->getMessage();
    if ($mail->ErrorInfo !== '' && strpos($detail, $mail->ErrorInfo) === false) {
        $detail .= ' ' . $mail->ErrorInfo;
    }
    if ($smtp !== null) {
        $detail .= ' (at ' . $smtp->stage . ($smtp->timedOut ? ', deadline passed' : '') . ', last reply: '
            . trim((string)$smtp->getLastReply()) . ')';
    }
    error_log('Tillbox: order mail ' . ($orderId !== '' ? $orderId . ' ' : '') . 'not sent: ' . $detail);
    list($error, $maybeSent) = tillbox_send_failure($smtp, $detail);
    $answer = array('ok' => false, 'error' => $error);
    if ($maybeSent) {
        $answer['maybeSent'] = true;
    }
    $status = 502;
}

// A key keeps the answer of every order that may have reached the shop; a
// failure before that leaves the key free for the retry.
if ($keyEntry !== null) {
    if ($answer['ok'] || isset($answer['maybeSent'])) {
        tillbox_store_write($keyEntry, array('answer' => $answer, 'status' => $status));
    }
    tillbox_store_close($keyEntry);
}
json_response($answer, $status);
