<?php @ini_set('display_errors', '0'); // before anything else can print
/*
 * Tillbox coupon checker: tells the cart whether a coupon code is valid for
 * the products in the cart. Lives in the site's shared folder
 * (rw_common/plugins/tillbox/...) and reads the coupon table "coupons.php"
 * that each shop page exports into its files folder.
 *
 * Request: POST only (anything else: 405), as a form body or a JSON object.
 *   code     the code the shopper typed; surrounding spaces are ignored and
 *            the match is case-insensitive.
 *   skus     the SKUs in the cart: comma-separated text, or a list.
 *   coupons  where the page's coupon table is, relative to the site root:
 *            the page's files folder ("shop/files") or the table itself
 *            ("shop/files/coupons.php"). A leading "/" is ignored. The site
 *            root is the folder that holds this script's "rw_common" folder;
 *            the path must stay inside it (no "..", symbolic links resolved)
 *            and must name a file "coupons.php", otherwise 400.
 *
 * Answer: JSON, always of this shape:
 *   {"valid":bool,"code":"...","text":"...","type":"%"|"$"|"","value":number,"sku":"..."}
 *   valid  true when a coupon with that code exists, today lies between its
 *          first day (from 00:00) and last day (to 23:59:59) in the server's
 *          time, and it applies to every product (empty SKU) or to one of
 *          the posted SKUs.
 *   code   the coupon's code as the shop wrote it (valid), or the code as
 *          typed (not valid).
 *   text   the coupon's description; type "%" (percent off) or "$" (amount
 *          off); value the discount; sku the product it applies to ("" for
 *          all). Empty / 0 when not valid.
 * Errors (bad method, bad path, unreadable table, too large a body, too many
 * checks) add "error":"..." to a not-valid answer, with status 405, 400, 500,
 * 413 or 429. An answer never names another coupon, a server path or a PHP
 * message.
 *
 * Codes cannot be guessed at speed: each client address may check
 * TILLBOX_COUPON_CHECKS codes in TILLBOX_COUPON_WINDOW seconds; beyond that
 * the answer is 429 with a Retry-After header (in seconds).
 */

// Settings the shop owner may change.
const TILLBOX_COUPON_CHECKS = 30;
const TILLBOX_COUPON_WINDOW = 60;

require_once __DIR__ . '/json.php';
require_once __DIR__ . '/cartTotals.php';

const TILLBOX_COUPON_TABLE = 'coupons.php';
const TILLBOX_MAX_CODE_LENGTH = 200;

$GLOBALS['tillboxFatalBody'] = tillbox_coupon_answer(false, '', null);

/* The answer for $coupon (an entry of the table) or a not-valid answer. */
function tillbox_coupon_answer($valid, $typedCode, $coupon, $error = null)
{
    $answer = array(
        'valid' => $valid,
        'code' => $valid ? $coupon['code'] : $typedCode,
        'text' => $valid ? $coupon['text'] : '',
        'type' => $valid ? $coupon['type'] : '',
        'value' => $valid ? (float)$coupon['value'] : 0,
        'sku' => $valid ? $coupon['sku'] : '',
    );
    if ($error !== null) {
        $answer['error'] = $error;
    }
    return $answer;
}

function tillbox_coupon_fail($typedCode, $error, $status)
{
    json_response(tillbox_coupon_answer(false, $typedCode, null, $error), $status);
}

function tillbox_posted_skus($value)
{
    $items = is_array($value) ? $value : explode(',', (string)json_text($value));
    $skus = array();
    foreach ($items as $item) {
        $sku = json_text($item);
        if ($sku !== null && trim($sku) !== '') {
            $skus[] = trim($sku);
        }
    }
    return $skus;
}

// ---------------------------------------------------------------------------

json_require_post(tillbox_coupon_answer(false, '', null, 'Use POST.'));
tillbox_rate_limit('coupon', TILLBOX_COUPON_CHECKS, TILLBOX_COUPON_WINDOW,
    tillbox_coupon_answer(false, '', null, 'Too many coupon codes were tried. Please wait a minute and try again.'));

$request = json_request_data(tillbox_coupon_answer(false, '', null, 'The request is too large.'));
if ($request === null) {
    tillbox_coupon_fail('', 'The request could not be read.', 400);
}

$typed = json_text(isset($request['code']) ? $request['code'] : '');
if ($typed === null || !json_is_utf8($typed) || strlen($typed) > TILLBOX_MAX_CODE_LENGTH) {
    tillbox_coupon_fail('', 'The coupon code is not valid.', 400);
}
$typed = trim($typed);

$tablePath = tillbox_site_table_path((string)json_text(isset($request['coupons']) ? $request['coupons'] : ''),
    TILLBOX_COUPON_TABLE);
if ($tablePath === null) {
    tillbox_coupon_fail($typed, 'The coupon table was not found.', 400);
}
$coupons = tillbox_run_table($tablePath, 'TILLBOX_COUPONS', 'tillboxCoupons');
if ($coupons === null) {
    tillbox_coupon_fail($typed, 'The coupon table could not be read.', 500);
}

$coupon = $typed === '' ? null
    : tillbox_find_coupon($coupons, $typed, tillbox_posted_skus(isset($request['skus']) ? $request['skus'] : ''));
json_response(tillbox_coupon_answer($coupon !== null, $typed, $coupon));
